// Real-world text through the whole library (service, parser, real engine):
// characters outside the BMP, byte order marks, NUL bytes, file names that
// differ only in letter case or are no UTF-8. Every diagnostic and every
// final replacement must cover the characters the engine meant.
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

/// The host characters a span covers in a diagnostic's text.
std::u16string Covered(const qfix& fix, ZoSpan span) {
  if (!fix.fileText || span.start + span.length > fix.fileText->size()) return u"<out of range>";
  return fix.fileText->substr(span.start, span.length);
}

/// A diagnostic as the host applies it: the characters it points at, and
/// each final replacement as (characters replaced, text inserted).
struct Applied {
  std::string check;
  std::u16string trigger;
  std::vector<std::pair<std::u16string, std::string>> replacements;
  bool operator==(const Applied&) const = default;
};

void PrintTo(const Applied& applied, std::ostream* out) {
  *out << applied.check << " at " << applied.trigger.size() << " units, " << applied.replacements.size()
       << " final replacements";
}

class LibraryText : public ::testing::Test {
 protected:
  ZoCodeInspectionsInterop2 service{RealEngine};  ///< a fresh service for every test

  std::unique_ptr<RunResult> Run(const std::string& path, const std::string& checks) {
    InspectionSettings settings;
    settings.keepFixlessDiagnostics = true;
    std::unique_ptr<IZoFileParser> parser(service.CreateFileParser(path, settings));
    CheckOptions options;
    return parser->Parse(ModeFlags::editorAutoDetectUtf8, UnsavedBuffers{}, checks, "", options);
  }

  /// Inspects `bytes` saved as `name` and applies nothing: what each
  /// diagnostic covers and what its first fix finally replaces.
  std::vector<Applied> Inspect(const std::string& name, const std::string& bytes,
                               const std::string& checks = "-*,modernize-use-nullptr") {
    const std::unique_ptr<RunResult> result = Run(folder.Write(name, bytes).string(), checks);
    if (!result) {
      ADD_FAILURE() << name << ": no result";
      return {};
    }
    EXPECT_LT(result->status, 100) << name << ": " << result->errorText;
    std::vector<Applied> applied;
    for (const qfix& fix : result->qfixes) {
      Applied one{fix.checkname, Covered(fix, fix.triggerspan), {}};
      if (!fix.actions.empty()) {
        const FixReplacements final = service.GetFixReplacements(static_cast<uint32_t>(fix.actions.front().claimToken));
        for (const repl& replacement : final.replacements) {
          one.replacements.emplace_back(Covered(fix, replacement.span), replacement.text);
        }
      }
      applied.push_back(std::move(one));
    }
    return applied;
  }

  TempDir folder;
};

const std::string kEmoji = "\xF0\x9F\x98\x80";  // U+1F600: 4 bytes, 2 units

TEST_F(LibraryText, CharactersOutsideTheBmpTakeFourBytesBeforeADiagnosticOnTheirLine) {
  const std::string source =
      "const char* s = \"" + kEmoji + kEmoji + "\"; int* p = 0; // " + kEmoji + "\n" + "int* q = 0;\n";
  const std::vector<Applied> expected = {
      {"modernize-use-nullptr", u"0", {{u"0", "nullptr"}}},
      {"modernize-use-nullptr", u"0", {{u"0", "nullptr"}}},
  };
  EXPECT_EQ(Inspect("emoji.cpp", source), expected);
  EXPECT_EQ(Inspect("emojibom.cpp", "\xEF\xBB\xBF" + source), expected);
}

// The engine's offsets count the mark; the fix is finalised against the
// text the engine read, mark included, so it lands where it does without one.
TEST_F(LibraryText, FinalReplacementsInUtf8WithABomMatchThoseWithout) {
  const std::string source = "struct S {\n  S() : a(0), b(1) {}\n  int a;\n  int b;\n};\nint* p = 0;";
  const std::string checks = "-*,modernize-use-default-member-init,modernize-use-nullptr";
  const std::vector<Applied> plain = Inspect("plain.cpp", source, checks);
  ASSERT_EQ(plain.size(), 3u);
  ASSERT_FALSE(plain[0].replacements.empty());
  EXPECT_EQ(plain[0].replacements[0], std::make_pair(std::u16string(u"a(0),"), std::string()));
  EXPECT_EQ(plain[2].replacements, (std::vector<std::pair<std::u16string, std::string>>{{u"0", "nullptr"}}))
      << "a fix in the last bytes of the file";
  EXPECT_EQ(Inspect("bom.cpp", "\xEF\xBB\xBF" + source, checks), plain);
}

// A stray NUL is no reason to hand the engine an empty text: clang reads
// the file as it is and reports what it finds.
TEST_F(LibraryText, AFileWithANulByteIsInspectedAsItIs) {
  const std::string checks = "-*,modernize-use-nullptr,clang-diagnostic-null-character";
  const Applied nullptrFix{"modernize-use-nullptr", u"0", {{u"0", "nullptr"}}};
  for (const auto& [name, bytes] :
       {std::pair{"nul.cpp", "int a;\0 int* p = 0;\n"s}, std::pair{"nulbreak.cpp", "int a;\0\nint* p = 0;\n"s}}) {
    const std::vector<Applied> applied = Inspect(name, bytes, checks);
    ASSERT_EQ(applied.size(), 2u) << name;
    EXPECT_EQ(applied[0].check, "clang-diagnostic-null-character");
    EXPECT_EQ(applied[1], nullptrFix);
  }
}

// Foo.h and foo.h are two files where the file system says so; both are
// converted (code page 1252), so both go through the cache.
TEST_F(LibraryText, HeadersThatDifferOnlyInLetterCaseAreTwoFiles) {
#if defined(_WIN32)
  GTEST_SKIP() << "one file on Windows";
#endif
  // Same size and time: nothing but the name tells them apart.
  const auto upper = folder.Write("Foo.h", "// caf\xE9\nstruct Upper {};\n");
  const auto lower = folder.Write("foo.h", "// caf\xE9\nstruct Lower {};\n");
  std::filesystem::last_write_time(lower, std::filesystem::last_write_time(upper));
  const std::string main =
      folder.Write("main.cpp", "#include \"Foo.h\"\n#include \"foo.h\"\nUpper u; Lower l;\n").string();
  const std::unique_ptr<RunResult> result = Run(main, "-*,modernize-use-nullptr");
  ASSERT_NE(result, nullptr);
  EXPECT_LT(result->status, 100) << result->errorText;
  for (const qfix& fix : result->qfixes) ADD_FAILURE() << fix.checkname << ": " << fix.message;
}

// A path is bytes on POSIX: a Latin-1 file name is inspected like any other.
TEST_F(LibraryText, FileNamesThatAreNoUtf8AreInspected) {
#if defined(_WIN32)
  GTEST_SKIP() << "Windows names are UTF-16";
#endif
  EXPECT_EQ(Inspect("caf\xE9.cpp", "int* p = 0;\n"),
            (std::vector<Applied>{{"modernize-use-nullptr", u"0", {{u"0", "nullptr"}}}}));
}

}  // namespace
}  // namespace zotest
