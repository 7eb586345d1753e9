// Runs through the whole library (service, parser, real engine) of what the
// differential test does not write: the ".clang-tidy" files above a source
// with and without options, NUL bytes in code, file names that differ only in
// letter case or are no UTF-8. Every diagnostic and every final replacement
// must cover the characters the engine meant.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "engine_driver.h"
#include "interop/interop2.h"
#include "service/service.h"
#include "support/temp_dir.h"

namespace zotest {
namespace {

using namespace Quillfern::ZoCodeInspections::Native;
using std::string_literals::operator""s;

/// The host characters a span covers in a diagnostic's text (ASCII here).
std::string Covered(const qfix& fix, ZoSpan span) {
  if (!fix.fileText || span.start + span.length > fix.fileText->size()) return "<out of range>";
  const std::u16string covered = fix.fileText->substr(span.start, span.length);
  return {covered.begin(), covered.end()};
}

/// A diagnostic as the host applies it: its check, the characters it points
/// at, and each final replacement of its first fix ("check '0' '0'->'nullptr'").
std::string Applied(IZoCodeInspectionsInterop2& service, const qfix& fix) {
  std::string applied = fix.checkname + " '" + Covered(fix, fix.triggerspan) + "'";
  if (fix.actions.empty()) return applied;
  const FixReplacements final = service.GetFixReplacements(static_cast<uint32_t>(fix.actions.front().claimToken));
  for (const repl& r : final.replacements) applied += " '" + Covered(fix, r.span) + "'->'" + r.text + "'";
  return applied;
}

const std::string kNullptrFix = "modernize-use-nullptr '0' '0'->'nullptr'";

class LibraryRuns : public ::testing::Test {
 protected:
  ZoCodeInspectionsInterop2 service{RealEngine};  ///< a fresh service for every test

  /// The run's diagnostics (fix-less ones kept), each as Applied gives it.
  std::vector<std::string> Inspect(const std::string& path, const std::string& checks, CheckOptions options = {}) {
    InspectionSettings settings;
    settings.keepFixlessDiagnostics = true;
    std::unique_ptr<IZoFileParser> parser(service.CreateFileParser(path, settings));
    const std::unique_ptr<RunResult> result =
        parser->Parse(ModeFlags::editorAutoDetectUtf8, UnsavedBuffers{}, checks, "", options);
    if (!result) return {"no result"};
    EXPECT_LT(result->status, 100) << path << ": " << result->errorText;
    EXPECT_THAT(result->errorText, testing::Not(testing::HasSubstr("invalid configuration"))) << path;
    std::vector<std::string> applied;
    for (const qfix& fix : result->qfixes) applied.push_back(Applied(service, fix));
    return applied;
  }

  TempDir folder;
};

TEST_F(LibraryRuns, TheClangTidyFilesApplyWithOrWithoutCheckOptions) {
  folder.Write("project/.clang-tidy", "Checks: '-*,modernize-use-nullptr'\n");
  const std::string plain = folder.Write("project/plain.cpp", "int* p = 0;\n").string();
  const std::string directive =
      folder.Write("project/directive.cpp", "// ZOCI:option:modernize-use-nullptr.NullMacros=NULL\nint* p = 0;\n")
          .string();
  const std::vector<std::string> nullptrOnly = {kNullptrFix};
  EXPECT_EQ(Inspect(plain, ""), nullptrOnly);
  EXPECT_EQ(Inspect(plain, "", {{"modernize-use-nullptr.NullMacros", "NULL"}}), nullptrOnly);
  EXPECT_EQ(Inspect(directive, ""), nullptrOnly);
}

// A stray NUL is no reason to hand the engine an empty text: clang reads the
// file as it is. Foo.h and foo.h are two files where the file system says so
// (both converted from code page 1252, so both go through the cache), and a
// path is bytes: a Latin-1 file name is inspected like any other.
TEST_F(LibraryRuns, NulBytesHeadersThatDifferInLetterCaseAndNamesThatAreNoUtf8) {
#if defined(_WIN32)
  GTEST_SKIP() << "Windows names are UTF-16 and ignore letter case";
#endif
  // Same size and time: nothing but the name tells them apart.
  const auto upper = folder.Write("Foo.h", "// caf\xE9\nstruct Upper {};\n");
  std::filesystem::last_write_time(folder.Write("foo.h", "// caf\xE9\nstruct Lower {};\n"),
                                   std::filesystem::last_write_time(upper));
  const std::string nul = "clang-diagnostic-null-character '\0'"s;
  const std::vector<std::tuple<std::string, std::string, std::vector<std::string>>> cases = {
      {"nul.cpp", "int a;\0 int* p = 0;\n"s, {nul, kNullptrFix}},
      {"nulbreak.cpp", "int a;\0\nint* p = 0;\n"s, {nul, kNullptrFix}},
      {"main.cpp", "#include \"Foo.h\"\n#include \"foo.h\"\nUpper u; Lower l;\n", {}},
      {"caf\xE9.cpp", "int* p = 0;\n", {kNullptrFix}},
  };
  for (const auto& [name, bytes, expected] : cases) {
    EXPECT_EQ(Inspect(folder.Write(name, bytes).string(), "-*,modernize-use-nullptr,clang-diagnostic-null-character"),
              expected)
        << name;
  }
}

}  // namespace
}  // namespace zotest
