// The two concrete offset mappers and their shared base. UtfIndexMapper holds
// the line tables and maps UTF-8 offsets to UTF-16 indexes (find the line by
// binary search, then walk within it); UtfIndexMapper8_to_16 is built from
// UTF-8 text and produces the UTF-16 text, UtfIndexMapper16_to_8 the other
// way round. Built mappers never change, so any thread may map with them.
#pragma once

#include "interop/utf_index_mapper.h"

namespace Quillfern::ZoCodeInspections::Native {

class UtfIndexMapper : public IUtfIndexMapper {
 public:
  std::optional<uint32_t> LineOf(uint32_t utf8Offset) const override;
  bool AdvanceToUtf8Offset(uint32_t& index, uint32_t start, uint32_t target) const override;
  bool Utf8LengthOfRange(uint32_t& offset, uint32_t from, uint32_t to) const override;
  bool IsValid() const override;
  bool MapSpan(uint32_t& begin16, uint32_t& end16, uint32_t begin8, uint32_t end8, uint32_t* beginLine,
               uint32_t* endLine, Utf8Origin origin) const override;
  const std::vector<uint32_t>& Utf8LineStarts() const override { return utf8LineStarts; }
  const std::vector<uint32_t>& Utf16LineStarts() const override { return utf16LineStarts; }
  /// Bytes of the two line tables.
  size_t Footprint() const override;

 protected:
  explicit UtfIndexMapper(uint32_t skip) : utf8Skip(skip) {}

  /// Records the start of a line on both sides.
  void AddLineStart(uint32_t utf8Offset, uint32_t utf16Index);
  /// Ends both tables with their sentinels (text length + 1).
  void CloseTables(uint32_t utf8Length, uint32_t utf16Length);
  /// Walks the UTF-8 text from `offset` (at UTF-16 `index`) sequence by
  /// sequence, counting the units each one made, until `target` is reached;
  /// false when the text ends first.
  bool WalkTo(uint32_t& index, uint32_t& offset, uint32_t target) const;
  /// WalkTo within `line`, where `target` lies: a plain line (as many bytes
  /// as units, so one unit per byte) is crossed in one step.
  bool WalkOnLine(uint32_t line, uint32_t& index, uint32_t& offset, uint32_t target) const;
  /// The UTF-8 offset where UTF-16 `index` starts (after the sequence that
  /// made it when it lies inside one); none past the end.
  std::optional<uint32_t> Utf8OffsetOf(uint32_t index) const;
  /// The line tables in the text form of Dump, under `className`.
  std::string DumpTables(const char* className) const;

  std::vector<uint32_t> utf8LineStarts;   ///< UTF-8 offset of each line start
  std::vector<uint32_t> utf16LineStarts;  ///< UTF-16 index of each line start
  /// Leading bytes of the engine's text that the mapped UTF-8 text lacks.
  uint32_t utf8Skip = 0;
};

/// Built from UTF-8 text; produces the UTF-16 text. Malformed UTF-8 never
/// fails: a broken sequence yields one unit with its lead's value bits.
class UtfIndexMapper8_to_16 final : public UtfIndexMapper {
 public:
  /// Maps `utf8` from byte `skip` on; throws std::out_of_range when `skip`
  /// lies beyond the text.
  explicit UtfIndexMapper8_to_16(std::shared_ptr<const std::string> utf8, uint32_t skip = 0);

  std::shared_ptr<const std::string> Utf8Text() const override { return utf8_; }
  std::shared_ptr<const std::u16string> Utf16Text() const override { return utf16_; }
  std::string_view Utf8View() const override { return utf8View_; }
  std::u16string_view Utf16View() const override { return *utf16_; }
  size_t Footprint() const override;
  std::string Dump() const override;

 private:
  std::shared_ptr<const std::u16string> utf16_;
  std::shared_ptr<const std::string> utf8_;
  std::string_view utf8View_;
};

/// Whether a mapper of UTF-16 text leaves a leading byte order mark out of
/// its mapped part.
enum class LeadingBom { keep, skip };

/// Built from UTF-16 text; produces the UTF-8 text, every unit encoded on
/// its own.
class UtfIndexMapper16_to_8 final : public UtfIndexMapper {
 public:
  /// Maps `utf16`, leaving its first unit (a byte order mark) out when asked.
  UtfIndexMapper16_to_8(std::shared_ptr<const std::u16string> utf16, LeadingBom bom);

  std::shared_ptr<const std::string> Utf8Text() const override { return utf8_; }
  std::shared_ptr<const std::u16string> Utf16Text() const override { return utf16_; }
  std::string_view Utf8View() const override { return *utf8_; }
  std::u16string_view Utf16View() const override { return utf16View_; }
  size_t Footprint() const override;
  std::string Dump() const override;

 private:
  std::shared_ptr<const std::u16string> utf16_;
  std::u16string_view utf16View_;
  std::shared_ptr<const std::string> utf8_;
};

}  // namespace Quillfern::ZoCodeInspections::Native
