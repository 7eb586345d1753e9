#include "mapping/mapper_factories.h"

#include "mapping/utf_index_mappers.h"
#include "utf/utf_conversion.h"

namespace Quillfern::ZoCodeInspections::Native {

std::shared_ptr<IUtfIndexMapper> MakeMapperFromUtf16(std::shared_ptr<const std::u16string> text) {
  if (!text) return nullptr;
  const Encoding detected =
      DetectEncoding(reinterpret_cast<const char*>(text->data()), text->size() * sizeof(char16_t));
  if (detected != Encoding::UTF16_LE_BOM && detected != Encoding::UTF16_LE_NOBOM) return nullptr;
  return std::make_shared<UtfIndexMapper16_to_8>(
      std::move(text), detected == Encoding::UTF16_LE_BOM ? LeadingBom::skip : LeadingBom::keep);
}

std::shared_ptr<IUtfIndexMapper> MakeMapperOfUnits(std::shared_ptr<const std::u16string> text) {
  if (!text) return nullptr;
  return std::make_shared<UtfIndexMapper16_to_8>(std::move(text), LeadingBom::keep);
}

std::shared_ptr<IUtfIndexMapper> MakeMapperFromUtf8(std::shared_ptr<const std::string> text,
                                                    std::optional<Encoding> encoding) {
  if (!text) return nullptr;
  const Encoding kind = encoding ? *encoding : DetectEncoding(text->data(), text->size());
  switch (kind) {
    case Encoding::UTF8_BOM:
    case Encoding::UTF8_NOBOM: return std::make_shared<UtfIndexMapper8_to_16>(std::move(text));
    case Encoding::UTF16_LE_BOM:
    case Encoding::UTF16_LE_NOBOM:
    case Encoding::UTF16_BE_BOM:
    case Encoding::UTF16_BE_NOBOM: {
      const uint32_t bom = BomLength(kind);
      if (text->size() < bom) return nullptr;
      auto units =
          std::make_shared<const std::u16string>(Utf16Units(text->data() + bom, text->size() - bom, IsBigEndian(kind)));
      return std::make_shared<UtfIndexMapper16_to_8>(std::move(units), LeadingBom::keep);
    }
    default: return nullptr;
  }
}

}  // namespace Quillfern::ZoCodeInspections::Native
