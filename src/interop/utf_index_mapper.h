// Offset mapping between the engine's UTF-8 text and the host's UTF-16 text of
// one file. A mapper holds both forms with a table of line starts on each side
// and maps UTF-8 byte offsets to UTF-16 unit indexes line by line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Quillfern::ZoCodeInspections::Native {

/// A host-side range: UTF-16 start and length.
struct ZoSpan {
  uint32_t start = 0;
  uint32_t length = 0;
  bool operator==(const ZoSpan&) const = default;
};

/// Where the UTF-8 offsets given to MapSpan count from.
enum class Utf8Origin : bool {
  textStart,   ///< the start of the whole UTF-8 text, a skipped prefix included
  mappedPart,  ///< the start of the mapped part, after the skipped prefix
};

/// The mapper interface seen by everything outside the mapping code. The
/// order of the virtual operations is part of the host interface.
class IUtfIndexMapper {
 public:
  virtual ~IUtfIndexMapper() = default;
  /// 0-based line of a UTF-8 offset; none past the end.
  virtual std::optional<uint32_t> LineOf(uint32_t utf8Offset) const = 0;
  /// Walks UTF-16 units from `index` (at UTF-8 offset `start`) until `target`
  /// is reached; false when the text ends first.
  virtual bool AdvanceToUtf8Offset(uint32_t& index, uint32_t start, uint32_t target) const = 0;
  /// Adds the UTF-8 length of UTF-16 units [from, to) to `offset`.
  virtual bool Utf8LengthOfRange(uint32_t& offset, uint32_t from, uint32_t to) const = 0;
  virtual std::shared_ptr<const std::string> Utf8Text() const = 0;
  virtual std::shared_ptr<const std::u16string> Utf16Text() const = 0;
  /// The mapped part of the UTF-8 text.
  virtual std::string_view Utf8View() const = 0;
  /// The mapped part of the UTF-16 text.
  virtual std::u16string_view Utf16View() const = 0;
  virtual bool IsValid() const = 0;
  /// Maps the UTF-8 range [begin8, end8), counted from `origin`, to UTF-16;
  /// false when unmappable.
  virtual bool MapSpan(uint32_t& begin16, uint32_t& end16, uint32_t begin8, uint32_t end8, uint32_t* beginLine,
                       uint32_t* endLine, Utf8Origin origin) const = 0;
  virtual const std::vector<uint32_t>& Utf8LineStarts() const = 0;
  virtual const std::vector<uint32_t>& Utf16LineStarts() const = 0;
  /// Approximate bytes held.
  virtual size_t Footprint() const = 0;
  /// The line tables as text, for dumps.
  virtual std::string Dump() const = 0;
};

}  // namespace Quillfern::ZoCodeInspections::Native
