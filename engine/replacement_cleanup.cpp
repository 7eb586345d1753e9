#include "replacement_cleanup.h"

#include <limits>

#include <clang/Format/Format.h>
#include <clang/Tooling/Core/Replacement.h>
#include <llvm/Support/SourceMgr.h>
#include <llvm/Support/VirtualFileSystem.h>

namespace zoe {

namespace {

/// Header insertions and deletions carry this offset; the cleanup finds
/// their place.
constexpr uint32_t kHeaderOffset = std::numeric_limits<uint32_t>::max();

void IgnoreStyleDiagnostic(const llvm::SMDiagnostic&, void*) {}

bool FitsText(const EngineReplacement& replacement, size_t textSize) {
  if (replacement.offset == kHeaderOffset) return replacement.length <= 1;
  return replacement.offset <= textSize && replacement.length <= textSize - replacement.offset;
}

std::optional<clang::tooling::Replacements> ToolingReplacements(const std::string& fileKey, const std::string& text,
                                                                const std::vector<EngineReplacement>& replacements) {
  clang::tooling::Replacements result;
  for (const EngineReplacement& replacement : replacements) {
    if (!FitsText(replacement, text.size())) return std::nullopt;
    llvm::Error conflict =
        result.add(clang::tooling::Replacement(fileKey, replacement.offset, replacement.length, replacement.text));
    if (conflict) {
      llvm::consumeError(std::move(conflict));
      return std::nullopt;
    }
  }
  return result;
}

}  // namespace

std::optional<std::vector<EngineReplacement>> CleanUpReplacements(const std::string& fileKey,
                                                                  const std::string& text,
                                                                  const std::vector<EngineReplacement>& replacements) {
  std::optional<clang::tooling::Replacements> given = ToolingReplacements(fileKey, text, replacements);
  if (!given) return std::nullopt;
  auto disk = llvm::vfs::createPhysicalFileSystem();
  llvm::Expected<clang::format::FormatStyle> style = clang::format::getStyle(
      "file", fileKey, "none", text, disk.get(), /*AllowUnknownOptions=*/false, IgnoreStyleDiagnostic);
  if (!style) {
    llvm::consumeError(style.takeError());
    return std::nullopt;
  }
  llvm::Expected<clang::tooling::Replacements> cleaned = clang::format::cleanupAroundReplacements(text, *given, *style);
  if (!cleaned) {
    llvm::consumeError(cleaned.takeError());
    return std::nullopt;
  }
  std::vector<EngineReplacement> result;
  for (const clang::tooling::Replacement& replacement : *cleaned) {
    result.push_back(EngineReplacement{replacement.getReplacementText().str(), replacement.getLength(),
                                       replacement.getOffset()});
  }
  return result;
}

}  // namespace zoe
