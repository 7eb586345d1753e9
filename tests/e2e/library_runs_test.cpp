// Runs through the whole library and the real engine: each ".ZO." option value
// of the customised checks, ".clang-tidy" files, NUL bytes, file names that
// differ in letter case or are no UTF-8; each span covers the characters meant.
#include "e2e_samples.h"
#include "hooks/hook_dispatcher.h"
#include "interop/interop2.h"
#include "service/service.h"

namespace zotest {
namespace {

using namespace Quillfern::ZoCodeInspections::Native;
using ::testing::HasSubstr;
using ::testing::Not;
using std::string_literals::operator""s;

/// The host characters a span covers in a diagnostic's text (ASCII here).
std::string Covered(const qfix& fix, ZoSpan span) {
  if (!fix.fileText || span.start + span.length > fix.fileText->size()) return "<out of range>";
  const std::u16string covered = fix.fileText->substr(span.start, span.length);
  return {covered.begin(), covered.end()};
}

/// A diagnostic as the host applies it: its check, the characters it points at, and each final
/// replacement of its first fix ("check '0' '0'->'nullptr'"), which also join `all`.
std::string Applied(IZoCodeInspectionsInterop2& service, const qfix& fix, std::vector<repl>& all) {
  std::string applied = fix.checkname + " '" + Covered(fix, fix.triggerspan) + "'";
  if (fix.actions.empty()) return applied;
  const FixReplacements final = service.GetFixReplacements(static_cast<uint32_t>(fix.actions.front().claimToken));
  for (const repl& r : final.replacements) applied += " '" + Covered(fix, r.span) + "'->'" + r.text + "'";
  all.insert(all.end(), final.replacements.begin(), final.replacements.end());
  return applied;
}

const std::string kNullptrFix = "modernize-use-nullptr '0' '0'->'nullptr'";

/// A run's diagnostics as Applied gives them, and the source with every final replacement.
struct Inspected {
  std::vector<std::string> applied;
  std::string fixed;
};

class LibraryRuns : public ::testing::Test {
 protected:
  ZoCodeInspectionsInterop2 service{RealEngine};  ///< a fresh service for every test
  TempDir folder;

  Inspected Inspect(const std::string& path, const std::string& checks, CheckOptions options = {}) {
    InspectionSettings settings;
    settings.keepFixlessDiagnostics = true;
    std::unique_ptr<IZoFileParser> parser(service.CreateFileParser(path, settings));
    const std::unique_ptr<RunResult> result =
        parser->Parse(ModeFlags::editorAutoDetectUtf8, UnsavedBuffers{}, checks, "", options);
    if (!result) return {{"no result"}, ""};
    EXPECT_LT(result->status, 100) << path << ": " << result->errorText;
    EXPECT_THAT(result->errorText, Not(HasSubstr("invalid configuration"))) << path;
    Inspected inspected;
    std::vector<repl> replacements;
    for (const qfix& fix : result->qfixes) inspected.applied.push_back(Applied(service, fix, replacements));
    std::sort(replacements.begin(), replacements.end(),
              [](const repl& a, const repl& b) { return a.span.start > b.span.start; });
    const std::string source = ReadBytes(path);
    std::u16string fixed(source.begin(), source.end());  // ASCII sources only
    for (const repl& r : replacements) fixed.replace(r.span.start, r.span.length, {r.text.begin(), r.text.end()});
    inspected.fixed.assign(fixed.begin(), fixed.end());
    return inspected;
  }
  Inspected InspectText(const std::string& source, const std::string& checks, CheckOptions options = {}) {
    return Inspect(folder.Write("code.cpp", source).string(), checks, std::move(options));
  }
};

/// Code for each customised check: member loops (whose element's name a
/// declaration or a member used in the body can take), bool macros, array typedefs
/// (and those whose stock fixes break: a pointer to an array, a list with an array),
/// smart pointers to arrays (but those with braces), containers that are more than a chain of names.
constexpr const char* kCustomised =
    "#include <memory>\n#include <vector>\nstruct Box {\n  std::vector<int> m_items;\n  int m_data[3];\n"
    "  int Sum() {\n    int total = 0;\n    for (std::size_t i = 0; i < m_items.size(); ++i) total += m_items[i];\n"
    "    for (int k = 0; k < 3; ++k) total += m_data[k];\n    return total;\n  }\n};\n"
    "struct S {\n  std::vector<int> _things_;\n  std::vector<int> m_items, things;\n  int thing = 1;\n  int Sum() {\n"
    "    int t = 0;\n    for (std::size_t i = 0; i < _things_.size(); ++i) t += _things_[i] * thing;\n"
    "    for (std::size_t i = 0; i < things.size(); ++i) t += things[i] * thing;\n"
    "    for (std::size_t i = 0; i < m_items.size(); ++i) { int item = 2; t += m_items[i] * item; }\n"
    "    for (std::size_t i = 0; i < m_items.size(); ++i)\n"
    "      for (std::size_t j = 0; j < m_items.size(); ++j) t += m_items[i] * m_items[j];\n    return t;\n  }\n};\n"
    "#define TRUE 1\n#define ON 1\nbool a = TRUE;\nbool b = ON;\nbool c = 1;\n"
    "typedef int Row[3];\ntypedef const char* Names[4];\ntypedef int Count;\n"
    "typedef int (*Ptr)[2];\ntypedef long C, D[2];\n"
    "void F() {\n  std::unique_ptr<int[]> u;\n  u.reset(new int[5]());\n  u.reset(new int[2]{1, 2});\n  "
    "std::shared_ptr<int[]> s;\n"
    "  s.reset(new int[2]());\n  std::unique_ptr<int> one;\n  one.reset(new int(3));\n}\n"
    "bool F(std::vector<std::vector<int>>& v, std::vector<int>* p) {\n  return v[0].size() == 0 && p->size() != "
    "0;\n}\n";

struct OptionCase {
  CheckOptions options;
  size_t diagnostics;
  std::vector<std::string> fixedLines;    ///< lines the fixed text holds
  std::vector<std::string> unfixedLines;  ///< lines it no longer or never holds
};

TEST_F(LibraryRuns, EachOptionValueChangesTheRealRunAsItsBehaviourSays) {
  // clang-format off
  const std::vector<OptionCase> cases = {
      // by default: loop variables named after the element (else the old index), TRUE fixed, arrays converted
      {{}, 21, {"for (int item : m_items) total += item;", "for (int k : m_data) total += k;",
                "for (int i : _things_) t += i * thing;", "for (int i : things) t += i * thing;",
                "for (int i : m_items) { int item = 2; t += i * item; }",
                "for (int item : m_items)\n      for (int j : m_items) t += item * j;", "bool a = true;",
                "bool b = ON;", "bool c = true;", "using Row = int[3];", "using Names = const char*[4];",
                "using Count = int;", "using Ptr = int (*)[2];", "typedef long C, D[2];",
                "u = std::make_unique<int[]>(5);", "u.reset(new int[2]{1, 2});",
                "s = std::make_shared<int[]>(2);", "one = std::make_unique<int>(3);",
                "return (v[0]).empty() && !p->empty();"},
       {"m_item ", "typedef int ", "typedef const"}},
      {{{"modernize-loop-convert.ZO.PreferType", "0"}, {"modernize-use-bool-literals.ZO.AllowedMacros", "0"},
        {"modernize-use-using.ZO.AllowArrays", "0"}, {"modernize-make-unique.ZO.AllowArrays", "0"}}, 18,
       {"for (auto item : m_items) total += item;", "for (auto k : m_data)", "bool a = TRUE;", "bool c = true;",
        "typedef int Row[3];", "typedef const char* Names[4];", "using Count = int;", "u.reset(new int[5]());",
        "s = std::make_shared<int[]>(2);", "one = std::make_unique<int>(3);"},
       {"for (int"}},
      {{{"modernize-use-bool-literals.ZO.AllowedMacros", "2"}, {"modernize-make-shared.ZO.AllowArrays", "0"}}, 20,
       {"bool a = true;", "bool b = true;", "u = std::make_unique<int[]>(5);", "s.reset(new int[2]());"}, {}},
  };
  // clang-format on
  const std::string checks =
      "-*,modernize-loop-convert,modernize-use-bool-literals,modernize-use-using,modernize-make-unique,"
      "modernize-make-shared,readability-container-size-empty";
  for (const OptionCase& c : cases) {
    SCOPED_TRACE(c.options.size());
    const Inspected inspected = InspectText(kCustomised, checks, c.options);
    EXPECT_EQ(inspected.applied.size(), c.diagnostics) << inspected.fixed;
    for (const std::string& line : c.fixedLines) EXPECT_THAT(inspected.fixed, HasSubstr(line));
    for (const std::string& line : c.unfixedLines) EXPECT_THAT(inspected.fixed, Not(HasSubstr(line)));
  }
}

TEST_F(LibraryRuns, AStopAfterCompilerErrorsAlsoDropsWhatPreprocessorChecksReported) {
  // The macro check reports from the preprocessor's callback, while parsing.
  const char* source = "#define PI 3.14\nUnknown value;\n";
  const char* checks = "-*,cppcoreguidelines-macro-usage";
  const Inspected inspected = InspectText(source, checks);
  EXPECT_EQ(inspected.applied, std::vector<std::string>{"clang-diagnostic-error 'U'"});
  // The real engine without any hook, as the stock checks run.
  const EngineRunResult stock = RunEngine(RealEngine(), FileRequest(folder.Write("stock.cpp", source), checks));
  EXPECT_EQ(CountLines(stock.diagnostics, "[cppcoreguidelines-macro-usage]"), 1) << stock.diagnostics;
}

TEST_F(LibraryRuns, UseUsingLeavesInvalidDeclarationsToTheLibrary) {
  // Runs with errors stop every check, so the library's hook answers all
  // but that question here.
  const CheckOptions options;
  const CheckHook library = MakeCheckHook(&options);
  EngineRequest request =
      FileRequest(folder.Write("invalid.cpp", "typedef Unknown Alias;\ntypedef int Fine;\n"), "-*,modernize-use-using");
  request.hook = [&library](uint32_t id, HookArgs&& args) -> std::optional<HookArgs> {
    if (id == HookId::stopAfterErrors) return std::nullopt;
    return library(id, std::move(args));
  };
  const EngineRunResult run = RunEngine(RealEngine(), request);
  EXPECT_EQ(CountLines(run.diagnostics, "[modernize-use-using]"), 1) << run.diagnostics;
  EXPECT_THAT(run.diagnostics, HasSubstr("invalid.cpp:2:1: warning: use 'using'"));
}

TEST_F(LibraryRuns, TheClangTidyFilesApplyWithOrWithoutCheckOptions) {
  folder.Write("project/.clang-tidy", "Checks: '-*,modernize-use-nullptr'\n");
  const std::string plain = folder.Write("project/plain.cpp", "int* p = 0;\n").string();
  const std::string directive =
      folder.Write("project/directive.cpp", "// ZOCI:option:modernize-use-nullptr.NullMacros=NULL\nint* p = 0;\n")
          .string();
  const std::vector<std::string> nullptrOnly = {kNullptrFix};
  EXPECT_EQ(Inspect(plain, "").applied, nullptrOnly);
  EXPECT_EQ(Inspect(plain, "", {{"modernize-use-nullptr.NullMacros", "NULL"}}).applied, nullptrOnly);
  EXPECT_EQ(Inspect(directive, "").applied, nullptrOnly);
}

// A stray NUL leaves the text as it is; Foo.h and foo.h (both converted from
// 1252, so cached) are two files; a Latin-1 file name is inspected like any other.
TEST_F(LibraryRuns, NulBytesHeadersThatDifferInLetterCaseAndNamesThatAreNoUtf8) {
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
    EXPECT_EQ(
        Inspect(folder.Write(name, bytes).string(), "-*,modernize-use-nullptr,clang-diagnostic-null-character").applied,
        expected)
        << name;
  }
}

// A replacement text comes as the engine read the text it copies: a UTF-16
// file's character beyond U+FFFF as the two halves the library converted it
// to, a character of the last private use plane unchanged.
TEST_F(LibraryRuns, ReplacementTextsKeepEveryByteOfTheTextTheEngineCopied) {
  const std::u16string wide = u"int f(int a) {\n  if (a) {\n    return 1;\n  } else {\n    /*😀*/ return 2;\n  }\n}\n";
  std::string utf16 = "\xFF\xFE";
  for (const char16_t unit : wide) utf16.append({static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)});
  const std::string plane16 =
      "int f(int a) {\n  if (a) {\n    return 1;\n  } else {\n    /*\xF4\x8F\xBE\x80*/ return 2;\n  }\n}\n";
  const std::pair<std::string, std::string> cases[] = {{utf16, "/*\xED\xA0\xBD\xED\xB8\x80*/ return 2;"},
                                                       {plane16, "/*\xF4\x8F\xBE\x80*/ return 2;"}};
  for (const auto& [bytes, copied] : cases) {
    const Inspected inspected = Inspect(folder.Write("copy.cpp", bytes).string(), "-*,readability-else-after-return");
    ASSERT_EQ(inspected.applied.size(), 1u);
    EXPECT_THAT(inspected.applied[0], HasSubstr(copied));
  }
}

}  // namespace
}  // namespace zotest
