// Any bytes: detection never fails, the conversion decision holds, and the
// conversions only fail with their own error.
#include <cstddef>
#include <cstdint>
#include <stdexcept>

#include "buffers/encodings.h"
#include "fuzz_check.h"

namespace Native = Quillfern::ZoCodeInspections::Native;
using Native::Encoding;

namespace {

void CheckConversion(const char* bytes, size_t size, const Native::ConversionSettings& settings) {
  const Encoding detected = Native::DetectEncoding(bytes, size);
  FUZZ_CHECK(static_cast<int32_t>(detected) >= 0 && static_cast<int32_t>(detected) <= 8);
  const auto converted = Native::ConvertFileContent(bytes, size, settings);
  const auto* content = &converted;
  FUZZ_CHECK(content->encoding == detected);
  FUZZ_CHECK(content->content != nullptr);
  if (content->converted) {
    FUZZ_CHECK(content->bomLength == 0);
  } else {
    // Unconverted text is the file's bytes after its BOM.
    FUZZ_CHECK(content->bomLength == Native::BomLength(detected));
    FUZZ_CHECK(content->content->size() + content->bomLength == size);
    FUZZ_CHECK(content->content->compare(0, std::string::npos, bytes + content->bomLength, size - content->bomLength) ==
               0);
  }
}

void CheckRoundTrip(const char* bytes, size_t size) {
  // Units encoded one by one always decode back to the same units.
  const std::u16string units = Native::Utf16LeUnits(bytes, size);
  const std::string utf8 = Native::Utf16ToUtf8(units.data(), units.size());
  FUZZ_CHECK(Native::Utf8ToUtf16(utf8.data(), utf8.size()) == units);
  try {
    const std::u16string decoded = Native::Utf8ToUtf16(bytes, size);
    FUZZ_CHECK(decoded.size() <= size);
  } catch (const std::range_error&) {
    // malformed UTF-8: the one failure allowed
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto* bytes = reinterpret_cast<const char*>(data);
  for (const Native::ConversionSettings& settings :
       {Native::ConversionSettings{true, 0, true}, Native::ConversionSettings{false, 0, true},
        Native::ConversionSettings{true, 0, false}}) {
    CheckConversion(bytes, size, settings);
  }
  CheckRoundTrip(bytes, size);
  return 0;
}
