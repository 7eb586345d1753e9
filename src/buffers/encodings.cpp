// The decision which files reach the engine converted to UTF-8.
#include "buffers/encodings.h"

#include "platform/platform.h"

namespace Quillfern::ZoCodeInspections::Native {

bool ConversionSettingsDiffer(const ConversionSettings& a, const ConversionSettings& b) {
  if (a.convertAnsi != b.convertAnsi || a.autoDetectUtf8 != b.autoDetectUtf8) return true;
  return a.convertAnsi && a.codePage != b.codePage;
}

namespace {

FileContent Unconverted(Encoding encoding, const char* bytes, size_t size) {
  const uint32_t bom = BomLength(encoding);
  return FileContent{bom, encoding, false, std::make_shared<const std::string>(bytes + bom, size - bom)};
}

FileContent Converted(Encoding encoding, std::string text) {
  return FileContent{0, encoding, true, std::make_shared<const std::string>(std::move(text))};
}

FileContent ConvertedFromAnsi(Encoding encoding, const char* bytes, size_t size, uint32_t codePage) {
  return Converted(encoding, Utf16ToUtf8Joined(Platform::AnsiToUtf16(bytes, size, codePage)));
}

/// The bytes after the BOM, rounded down to whole units, as UTF-16 of the
/// encoding's byte order.
FileContent ConvertedFromUtf16(Encoding encoding, const char* bytes, size_t size) {
  const uint32_t bom = BomLength(encoding);
  const std::u16string units = Utf16Units(bytes + bom, size - bom, IsBigEndian(encoding));
  return Converted(encoding, Utf16ToUtf8(units.data(), units.size()));
}

}  // namespace

FileContent ConvertFileContent(const char* bytes, size_t size, const ConversionSettings& settings) {
  const Encoding encoding = DetectEncoding(bytes, size);
  switch (encoding) {
    case Encoding::ASCII:
    case Encoding::UTF8_BOM: return Unconverted(encoding, bytes, size);
    case Encoding::UTF8_NOBOM:
      if (settings.autoDetectUtf8 || !settings.convertAnsi) return Unconverted(encoding, bytes, size);
      return ConvertedFromAnsi(encoding, bytes, size, settings.codePage);
    case Encoding::ANSI:
      if (!settings.convertAnsi) return Unconverted(encoding, bytes, size);
      return ConvertedFromAnsi(encoding, bytes, size, settings.codePage);
    case Encoding::UTF16_LE_BOM:
    case Encoding::UTF16_LE_NOBOM:
    case Encoding::UTF16_BE_BOM:
    case Encoding::UTF16_BE_NOBOM: return ConvertedFromUtf16(encoding, bytes, size);
    case Encoding::None: break;
  }
  // NUL bytes in what is no UTF-16: the engine reads the file as it is (and
  // warns about the NULs); an empty text in its place would pass silently.
  // Text around the NULs that is no UTF-8 is the ANSI code page's, as an
  // editor reads it.
  EncodingDetector nulsAllowed;
  nulsAllowed.nullSuggestsBinary = false;
  if (settings.convertAnsi && nulsAllowed.Detect(bytes, size) == Encoding::ANSI) {
    return ConvertedFromAnsi(Encoding::None, bytes, size, settings.codePage);
  }
  return Unconverted(Encoding::None, bytes, size);
}

}  // namespace Quillfern::ZoCodeInspections::Native
