// Runs through the whole library (service, parser, real engine) of what the
// differential test does not write: option values that YAML reads specially,
// the ".clang-tidy" files above a source with and without options, NUL bytes
// in code, file names that differ only in letter case or are no UTF-8. Every
// diagnostic and every final replacement must cover the characters the
// engine meant.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
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
  /// The same for `bytes` saved as `name`.
  std::vector<std::string> InspectText(const std::string& name, const std::string& bytes, const std::string& checks) {
    return Inspect(folder.Write(name, bytes).string(), checks, {});
  }

  TempDir folder;
};

TEST_F(LibraryRuns, OptionValuesThatYamlReadsSpeciallyReachTheCheckAsWritten) {
  // modernize-use-nullptr reports a macro's null pointer only when it is among its NullMacros.
  const std::string path = folder.Write("macro.cpp", "#define MYNULL 0\nint* p = MYNULL;\n").string();
  const std::vector<std::pair<std::string, size_t>> cases = {
      {"MYNULL,OTHER", 1},
      {"a: b,MYNULL", 1},
      {"^[a-z]{1,2}$,MYNULL", 1},
      {"-,MYNULL", 1},
      {"'MYNULL'", 0},
      {"", 0},
      {"-", 0},
      {"OTHER", 0},
  };
  for (const auto& [value, reported] : cases) {
    EXPECT_EQ(Inspect(path, "-*,modernize-use-nullptr", {{"modernize-use-nullptr.NullMacros", value}}).size(), reported)
        << value;
  }
}

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

// A stray NUL is no reason to hand the engine an empty text: clang reads
// the file as it is and reports what it finds.
TEST_F(LibraryRuns, AFileWithANulByteIsInspectedAsItIs) {
  const std::string checks = "-*,modernize-use-nullptr,clang-diagnostic-null-character";
  for (const auto& [name, bytes] :
       {std::pair{"nul.cpp", "int a;\0 int* p = 0;\n"s}, std::pair{"nulbreak.cpp", "int a;\0\nint* p = 0;\n"s}}) {
    const std::vector<std::string> applied = InspectText(name, bytes, checks);
    ASSERT_EQ(applied.size(), 2u) << name;
    EXPECT_THAT(applied[0], testing::StartsWith("clang-diagnostic-null-character "));
    EXPECT_EQ(applied[1], kNullptrFix);
  }
}

// Foo.h and foo.h are two files where the file system says so; both are
// converted (code page 1252), so both go through the cache.
TEST_F(LibraryRuns, HeadersThatDifferOnlyInLetterCaseAreTwoFiles) {
#if defined(_WIN32)
  GTEST_SKIP() << "one file on Windows";
#endif
  // Same size and time: nothing but the name tells them apart.
  const auto upper = folder.Write("Foo.h", "// caf\xE9\nstruct Upper {};\n");
  const auto lower = folder.Write("foo.h", "// caf\xE9\nstruct Lower {};\n");
  std::filesystem::last_write_time(lower, std::filesystem::last_write_time(upper));
  EXPECT_EQ(InspectText("main.cpp", "#include \"Foo.h\"\n#include \"foo.h\"\nUpper u; Lower l;\n",
                        "-*,modernize-use-nullptr"),
            std::vector<std::string>{});
}

// A path is bytes on POSIX: a Latin-1 file name is inspected like any other.
TEST_F(LibraryRuns, FileNamesThatAreNoUtf8AreInspected) {
#if defined(_WIN32)
  GTEST_SKIP() << "Windows names are UTF-16";
#endif
  EXPECT_EQ(InspectText("caf\xE9.cpp", "int* p = 0;\n", "-*,modernize-use-nullptr"),
            std::vector<std::string>{kNullptrFix});
}

}  // namespace
}  // namespace zotest
