// The cache key of a file name.
#include <filesystem>

#include "buffers/encodings.h"
#include "platform/platform.h"

namespace Quillfern::ZoCodeInspections::Native {

std::string MakeFileKey(std::string_view utf8Name, bool lowerCase) {
  std::string key(utf8Name);
  return lowerCase ? Platform::AsciiLower(std::move(key)) : key;
}

std::string FileKeyOf(std::string_view utf8Path) { return MakeFileKey(utf8Path, Platform::FileNamesFoldCase()); }

std::string MakeFileKey(std::u16string_view utf16Name, bool lowerCase) {
  std::string key;
  try {
    const std::u8string normal = std::filesystem::path(std::u16string(utf16Name)).lexically_normal().u8string();
    key.assign(normal.begin(), normal.end());
  } catch (const std::exception&) {
    // A name the path library cannot encode (a lone surrogate): its units
    // one by one, unnormalised.
    key = Utf16ToUtf8(utf16Name.data(), utf16Name.size());
  }
  return lowerCase ? Platform::AsciiLower(std::move(key)) : key;
}

}  // namespace Quillfern::ZoCodeInspections::Native
