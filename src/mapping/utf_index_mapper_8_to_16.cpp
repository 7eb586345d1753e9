// Building a mapper from UTF-8 text. Blocks of plain ASCII are widened whole
// and their line breaks found from bit masks; only blocks with multi-byte
// sequences are decoded byte by byte.
#include <algorithm>

#include "mapping/utf_index_mappers.h"
#include "utf/byte_blocks.h"
#include "utf/utf8_sequence.h"

namespace Quillfern::ZoCodeInspections::Native {

namespace {

using namespace ByteBlocks;

bool IsLineBreak(unsigned char b) { return b == '\r' || b == '\n'; }

/// Mask bits of the bytes at even offsets of a block.
constexpr uint64_t kEvenBytes = 0x5555555555555555ull;

/// The line breaks of a block, from the masks of its CRs and LFs.
struct BlockBreaks {
  uint64_t ends;     ///< the last byte of every break
  bool lastIsAlone;  ///< the block's last byte is a break not yet paired
};

/// CR LF and LF CR pair up from left to right; every other CR or LF is a
/// break of its own. In a run of bytes that could each pair with the next
/// (CR LF CR LF ...), the pairs start at the run's first byte and every second
/// one after it: adding a run's lowest bit clears exactly the runs that start
/// at an even offset, which tells the two parities apart.
BlockBreaks FindBreaks(uint64_t cr, uint64_t lf) {
  if (cr == 0) return {lf, (lf >> 63) != 0};
  const uint64_t breaks = cr | lf;
  const uint64_t canPair = breaks & (breaks >> 1) & (cr ^ (cr >> 1));
  const uint64_t runStarts = canPair & ~(canPair << 1);
  const uint64_t oddRuns = (canPair + (runStarts & kEvenBytes)) & canPair;
  const uint64_t evenRuns = canPair & ~oddRuns;
  const uint64_t firsts = (evenRuns & kEvenBytes) | (oddRuns & ~kEvenBytes);
  const uint64_t alone = breaks & ~firsts & ~(firsts << 1);
  return {(firsts << 1) | alone, (alone >> 63) != 0};
}

/// Appends line starts to both tables. A block appends all of its line
/// starts without a branch per line: the tables are kept longer than their
/// content, and the first few entries of a block are written whether or not
/// the block has that many lines (the extra ones are overwritten later).
class LineStartWriter {
 public:
  LineStartWriter(std::vector<uint32_t>& utf8, std::vector<uint32_t>& utf16, size_t expectedLines)
      : utf8_(utf8), utf16_(utf16), count_(utf8.size()) {
    Ensure(expectedLines + kBlockRoom);
  }

  void Add(size_t offset8, size_t index16) {
    Ensure(1);
    utf8_[count_] = static_cast<uint32_t>(offset8);
    utf16_[count_] = static_cast<uint32_t>(index16);
    ++count_;
  }

  /// A line start after every set bit j of `ends`: (base8 + j + 1, base16 + j + 1).
  void AddAfterBits(uint64_t ends, size_t base8, size_t base16) {
    Ensure(kBlockRoom);
    uint32_t* starts8 = utf8_.data() + count_;
    uint32_t* starts16 = utf16_.data() + count_;
    size_t written = 0;
    for (size_t k = 0; k < kUnconditional; ++k) {
      // Once `ends` is empty this writes a scratch entry (65 past the base).
      const size_t after = Lowest(ends) + 1;
      starts8[k] = static_cast<uint32_t>(base8 + after);
      starts16[k] = static_cast<uint32_t>(base16 + after);
      written += ends != 0 ? 1 : 0;
      ends &= ends - 1;
    }
    for (; ends != 0; ends &= ends - 1, ++written) {
      const size_t after = Lowest(ends) + 1;
      starts8[written] = static_cast<uint32_t>(base8 + after);
      starts16[written] = static_cast<uint32_t>(base16 + after);
    }
    count_ += written;
  }

  /// Cuts the tables to their content; gives back room when much was unused.
  void Finish() {
    utf8_.resize(count_);
    utf16_.resize(count_);
    if (utf8_.capacity() > 2 * count_ + kBlockRoom) {
      utf8_.shrink_to_fit();
      utf16_.shrink_to_fit();
    }
  }

 private:
  void Ensure(size_t extra) {
    if (count_ + extra <= utf8_.size()) return;
    const size_t size = std::max(utf8_.size() + utf8_.size() / 2, count_ + extra);
    utf8_.resize(size);
    utf16_.resize(size);
  }

  /// Line starts a block writes without asking whether it has them.
  static constexpr size_t kUnconditional = 4;
  /// Entries a block may write.
  static constexpr size_t kBlockRoom = kBlockSize + kUnconditional;

  std::vector<uint32_t>& utf8_;
  std::vector<uint32_t>& utf16_;
  size_t count_;
};

/// Writes the UTF-16 text of UTF-8 bytes and the line starts of both sides.
class Utf8Decoder {
 public:
  Utf8Decoder(std::string_view bytes, char16_t* out, LineStartWriter& lines)
      : p_(reinterpret_cast<const unsigned char*>(bytes.data())), n_(bytes.size()), out_(out), lines_(lines) {}

  /// Decodes everything; returns the number of units written.
  size_t Run() {
    while (i_ < n_) {
      if (i_ + kBlockSize <= n_ && DecodePlainBlock()) continue;
      // A block with multi-byte sequences, or the last few bytes.
      const size_t stop = std::min(n_, i_ + kBlockSize);
      while (i_ < stop) DecodeOne();
    }
    return u_;
  }

 private:
  /// A block of plain ASCII is widened whole and its breaks found from bit
  /// masks; false (the block to be decoded byte by byte) when it has bytes
  /// of 0x80 or above. The output has room for a whole block (UTF-8 never
  /// yields more units than it has bytes).
  bool DecodePlainBlock() {
    const unsigned char* block = p_ + i_;
    const BlockMasks masks = WidenAndMask(block, out_ + u_);
    if (masks.anyHigh) return false;
    BlockBreaks breaks = FindBreaks(masks.cr, masks.lf);
    const bool pairsWithNext = breaks.lastIsAlone && i_ + kBlockSize < n_ && IsLineBreak(block[kBlockSize]) &&
                               block[kBlockSize] != block[kBlockSize - 1];
    if (pairsWithNext) breaks.ends &= ~(uint64_t{1} << 63);
    lines_.AddAfterBits(breaks.ends, i_, u_);
    i_ += kBlockSize;
    u_ += kBlockSize;
    if (pairsWithNext) {
      out_[u_++] = p_[i_++];
      lines_.Add(i_, u_);
    }
    return true;
  }

  void DecodeOne() {
    const unsigned char b = p_[i_];
    if (IsLineBreak(b)) {
      CopyLineBreak(b);
      lines_.Add(i_, u_);
    } else if (b < 0x80) {
      out_[u_++] = b;
      ++i_;
    } else {
      DecodeSequence();
    }
  }

  /// CR LF and LF CR are one break; so is a lone CR or LF.
  void CopyLineBreak(unsigned char b) {
    out_[u_++] = b;
    ++i_;
    if (i_ < n_ && IsLineBreak(p_[i_]) && p_[i_] != b) out_[u_++] = p_[i_++];
  }

  void DecodeSequence() {
    const Utf8Sequence sequence = DecodeUtf8Sequence(p_ + i_, n_ - i_);
    i_ += sequence.bytes;
    if (sequence.Units() == 2) {
      out_[u_++] = static_cast<char16_t>(0xD800 + ((sequence.value - 0x10000) >> 10));
      out_[u_++] = static_cast<char16_t>(0xDC00 + (sequence.value & 0x3FF));
    } else {
      out_[u_++] = static_cast<char16_t>(sequence.value);
    }
  }

  const unsigned char* p_;
  size_t n_;
  char16_t* out_;
  LineStartWriter& lines_;
  size_t i_ = 0;
  size_t u_ = 0;
};

std::string_view ViewAfterSkip(const std::shared_ptr<const std::string>& utf8, uint32_t skip) {
  return utf8 ? std::string_view(*utf8).substr(skip) : std::string_view().substr(skip);
}

}  // namespace

UtfIndexMapper8_to_16::UtfIndexMapper8_to_16(std::shared_ptr<const std::string> utf8, uint32_t skip)
    : UtfIndexMapper(skip), utf8_(std::move(utf8)), utf8View_(ViewAfterSkip(utf8_, skip)) {
  AddLineStart(0, 0);
  // UTF-8 never yields more units than it has bytes, so the text can be written
  // in place and cut to length afterwards.
  auto utf16 = std::make_shared<std::u16string>(utf8View_.size(), u'\0');
  // Room for lines of 24 bytes on average (C++ sources average about 30).
  LineStartWriter lines(utf8LineStarts, utf16LineStarts, utf8View_.size() / 24);
  Utf8Decoder decoder(utf8View_, utf16->data(), lines);
  const size_t units = decoder.Run();
  lines.Finish();
  utf16->resize(units);
  CloseTables(static_cast<uint32_t>(utf8View_.size()), static_cast<uint32_t>(units));
  utf16_ = std::move(utf16);
}

size_t UtfIndexMapper8_to_16::Footprint() const {
  return sizeof(*this) + UtfIndexMapper::Footprint() + 2 * utf16_->capacity() + (utf8_ ? utf8_->capacity() : 0);
}

std::string UtfIndexMapper8_to_16::Dump() const { return DumpTables("UtfIndexMapper8_to_16"); }

}  // namespace Quillfern::ZoCodeInspections::Native
