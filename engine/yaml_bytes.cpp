#include "yaml_bytes.h"

#include <clang/Tooling/Core/Diagnostic.h>
#include <llvm/Support/ConvertUTF.h>
#include <llvm/Support/Error.h>

#include <optional>

namespace zoe {

namespace {

/// The code point that stands for byte 0x80 + n is kEscapedBytes + n.
constexpr uint32_t kEscapedBytes = 0x10FF80;

void AppendEscaped(std::string& out, unsigned char byte) {
  const uint32_t point = kEscapedBytes + (byte - 0x80u);
  out += static_cast<char>(0xF0 | (point >> 18));
  out += static_cast<char>(0x80 | ((point >> 12) & 0x3F));
  out += static_cast<char>(0x80 | ((point >> 6) & 0x3F));
  out += static_cast<char>(0x80 | (point & 0x3F));
}

/// The byte an escaped code point at `p` (4 bytes readable) stands for.
std::optional<char> EscapedByteAt(const unsigned char* p) {
  if (p[0] != 0xF4 || p[1] != 0x8F || (p[2] != 0xBE && p[2] != 0xBF) || (p[3] & 0xC0) != 0x80) return std::nullopt;
  const uint32_t point = (4u << 18) | (0x0Fu << 12) | ((p[2] & 0x3Fu) << 6) | (p[3] & 0x3Fu);
  return static_cast<char>(0x80 + (point - kEscapedBytes));
}

/// Whether the legal UTF-8 sequence of `length` bytes at `p` is a code point
/// of the escape range.
bool InEscapeRange(const unsigned char* p, unsigned length) { return length == 4 && EscapedByteAt(p).has_value(); }

clang::tooling::DiagnosticMessage ForYaml(const clang::tooling::DiagnosticMessage& message) {
  clang::tooling::DiagnosticMessage converted = message;
  converted.Message = BytesForYaml(message.Message);
  converted.FilePath = BytesForYaml(message.FilePath);
  converted.Fix.clear();
  for (const auto& entry : message.Fix) {
    clang::tooling::Replacements& group = converted.Fix[BytesForYaml(entry.first())];
    for (const clang::tooling::Replacement& replacement : entry.second) {
      // The replacements came from one valid set, so adding them cannot fail.
      llvm::consumeError(group.add(clang::tooling::Replacement(BytesForYaml(replacement.getFilePath()),
                                                               replacement.getOffset(), replacement.getLength(),
                                                               BytesForYaml(replacement.getReplacementText()))));
    }
  }
  for (clang::tooling::FileByteRange& range : converted.Ranges) range.FilePath = BytesForYaml(range.FilePath);
  return converted;
}

}  // namespace

std::string BytesForYaml(llvm::StringRef bytes) {
  const auto* begin = reinterpret_cast<const llvm::UTF8*>(bytes.data());
  if (llvm::isLegalUTF8String(&begin, begin + bytes.size()) && !bytes.contains("\xF4\x8F")) return bytes.str();
  std::string out;
  const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
  for (size_t i = 0; i < bytes.size();) {
    const unsigned length = llvm::getNumBytesForUTF8(data[i]);
    const bool legal = i + length <= bytes.size() && llvm::isLegalUTF8Sequence(data + i, data + i + length);
    if (legal && !InEscapeRange(data + i, length)) {
      out.append(bytes.data() + i, length);
      i += length;
      continue;
    }
    for (const size_t end = i + (legal ? length : 1); i < end; ++i) AppendEscaped(out, data[i]);
  }
  return out;
}

std::string BytesFromYaml(llvm::StringRef text) {
  if (!text.contains("\xF4\x8F")) return text.str();
  std::string out;
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  for (size_t i = 0; i < text.size();) {
    const std::optional<char> escaped = i + 4 <= text.size() ? EscapedByteAt(bytes + i) : std::nullopt;
    if (escaped) {
      out += *escaped;
      i += 4;
    } else {
      out += text[i++];
    }
  }
  return out;
}

clang::tooling::Diagnostic ForYaml(const clang::tooling::Diagnostic& diagnostic) {
  clang::tooling::Diagnostic converted = diagnostic;
  converted.Message = ForYaml(diagnostic.Message);
  for (clang::tooling::DiagnosticMessage& note : converted.Notes) note = ForYaml(note);
  return converted;
}

}  // namespace zoe
