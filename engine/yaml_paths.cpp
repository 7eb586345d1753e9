#include "yaml_paths.h"

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

clang::tooling::DiagnosticMessage WithPaths(const clang::tooling::DiagnosticMessage& message,
                                            std::string (*convert)(llvm::StringRef)) {
  clang::tooling::DiagnosticMessage converted = message;
  converted.FilePath = convert(message.FilePath);
  converted.Fix.clear();
  for (const auto& entry : message.Fix) {
    clang::tooling::Replacements& group = converted.Fix[convert(entry.first())];
    for (const clang::tooling::Replacement& replacement : entry.second) {
      // The replacements came from one valid set, so adding them cannot fail.
      llvm::consumeError(
          group.add(clang::tooling::Replacement(convert(replacement.getFilePath()), replacement.getOffset(),
                                                replacement.getLength(), replacement.getReplacementText())));
    }
  }
  for (clang::tooling::FileByteRange& range : converted.Ranges) range.FilePath = convert(range.FilePath);
  return converted;
}

}  // namespace

std::string PathForYaml(llvm::StringRef path) {
  const auto* begin = reinterpret_cast<const llvm::UTF8*>(path.data());
  if (llvm::isLegalUTF8String(&begin, begin + path.size())) return path.str();
  std::string out;
  const auto* bytes = reinterpret_cast<const unsigned char*>(path.data());
  for (size_t i = 0; i < path.size();) {
    const unsigned length = llvm::getNumBytesForUTF8(bytes[i]);
    if (i + length <= path.size() && llvm::isLegalUTF8Sequence(bytes + i, bytes + i + length)) {
      out.append(path.data() + i, length);
      i += length;
    } else {
      AppendEscaped(out, bytes[i]);
      ++i;
    }
  }
  return out;
}

std::string PathFromYaml(llvm::StringRef path) {
  std::string out;
  const auto* bytes = reinterpret_cast<const unsigned char*>(path.data());
  for (size_t i = 0; i < path.size();) {
    const std::optional<char> escaped = i + 4 <= path.size() ? EscapedByteAt(bytes + i) : std::nullopt;
    if (escaped) {
      out += *escaped;
      i += 4;
    } else {
      out += path[i++];
    }
  }
  return out;
}

clang::tooling::Diagnostic WithPaths(const clang::tooling::Diagnostic& diagnostic,
                                     std::string (*convert)(llvm::StringRef)) {
  clang::tooling::Diagnostic converted = diagnostic;
  converted.Message = WithPaths(diagnostic.Message, convert);
  for (clang::tooling::DiagnosticMessage& note : converted.Notes) note = WithPaths(note, convert);
  return converted;
}

}  // namespace zoe
