// A file's text in and out: decoding it into the host's UTF-16 text, choosing
// and applying fixes, and writing it back where zoci's own runs cannot reach (a
// save by another program at the last moment).
#include <gtest/gtest.h>

#include <fstream>

#include "file_replace.h"
#include "fix_conflicts.h"
#include "fixing.h"
#include "support/temp_dir.h"
#include "text_codec.h"

namespace zoci {
namespace {

namespace fs = std::filesystem;

HostText Decoded(const std::string& bytes, DecodeRules rules = {}) {
  std::string error;
  auto text = DecodeHostText(bytes, rules, error);
  EXPECT_TRUE(text) << error;
  return text.value_or(HostText{});
}

TEST(TextCodec, BomlessUtf8FollowsTheEditorRules) {
  const DecodeRules ansi{false, false, 1252};
  EXPECT_EQ(Decoded("// Gr\303\266\303\237e\n").encoding, FileEncoding::utf8);
  EXPECT_EQ(Decoded("// Gr\303\266\303\237e\n", ansi).text, u"// GrÃ¶ÃŸe\n");
  EXPECT_EQ(Decoded("int a;\n", ansi).encoding, FileEncoding::utf8);  // plain ASCII
  std::string error;
  EXPECT_FALSE(DecodeHostText("\xF6\n", DecodeRules{true, true, 1252}, error));
  EXPECT_NE(error.find("not valid UTF-8"), std::string::npos);
}

TEST(TextCodec, CodePage1252ReadsAndWritesItsUndefinedBytesAsTheLibraryDoes) {
  // Bytes with no character in 1252 are read as the C1 controls of the same value.
  const std::string bytes = "a\x81\x8D\x8F\x90\x9D \xE9\x80\n";
  const HostText text = Decoded(bytes, DecodeRules{false, false, 1252});
  EXPECT_EQ(text.encoding, FileEncoding::ansi);
  EXPECT_EQ(text.text, u"a\u0081\u008D\u008F\u0090\u009D \u00E9\u20AC\n");
  std::string error;
  EXPECT_EQ(EncodeHostText(text.text, text, error), bytes) << error;
  EXPECT_FALSE(EncodeHostText(u"a\u0100", text, error));  // a character the code page lacks, named
  EXPECT_NE(error.find("UTF-16 offset 1"), std::string::npos) << error;
}

TEST(TextCodec, Utf8ConversionJoinsPairsAndRejectsMalformedInput) {
  std::u16string out;
  EXPECT_TRUE(FromUtf8("a\xF0\x9F\x98\x80", out));
  EXPECT_EQ(out, u"a😀");
  for (const char* bad : {"\xC0\xAF", "\xE0\x80\x80", "\xED\xA0\x80", "\xC3", "\x80", "caf\xE9 x"})
    EXPECT_FALSE(FromUtf8(bad, out));
  // A lone half, then the first and the last character outside the BMP.
  EXPECT_EQ(ToUtf8(u"\xD800x\xD800\xDC00\xDBFF\xDFFF"), "\xEF\xBF\xBDx\xF0\x90\x80\x80\xF4\x8F\xBF\xBF");
}

// A text the engine copied from a converted UTF-16 source holds a character
// beyond U+FFFF as two three-byte halves; a half alone is no text to write.
TEST(TextCodec, EngineTextsJoinTheHalvesOfAPairAndRefuseAHalfAlone) {
  const std::pair<std::string, std::optional<std::string>> cases[] = {
      {"/* \xED\xA0\xBD\xED\xB8\x80 */", "/* \xF0\x9F\x98\x80 */"},
      {"\xF4\x8F\xBF\xBF \xC3\xA9 x", "\xF4\x8F\xBF\xBF \xC3\xA9 x"},  // UTF-8 as it is
      {"a\xED\xA0\xBD", std::nullopt},
      {"\xED\xB8\x80\xED\xA0\xBD", std::nullopt},  // low before high
      {"\xED\xA0\xBDx\xED\xB8\x80", std::nullopt},
      {"caf\xE9", std::nullopt},  // a code page's byte
  };
  for (const auto& [engine, expected] : cases) EXPECT_EQ(EngineTextAsUtf8(engine), expected) << engine;
}

Diagnostic WithFix(const std::string& check, std::vector<TextEdit> fix) {
  static int32_t token = 0;
  const uint32_t offset = fix.front().offset;
  return Diagnostic{"a.cpp", check, "", false, false, offset, 0, std::move(fix), ++token, {}, {}, {}};
}

Report ReportWith(std::vector<Diagnostic> diagnostics, const std::u16string& text = u"int* p = NULL; int* q = 0;\n") {
  Report report;
  report.sources["a.cpp"] = HostText{text, FileEncoding::utf8, false, 0, {}};
  report.files.push_back(InspectedFile{"a.cpp", false, {}, {}, std::move(diagnostics), {}});
  return report;
}

TEST(RefusedFixes, FollowClangTidysRulesForOverlaps) {
  const std::tuple<const char*, std::vector<std::vector<TextEdit>>, std::vector<bool>> cases[] = {
      {"ranges that touch", {{{0, 3, ""}}, {{3, 2, "x"}}}, {false, false}},
      {"insertions where a range starts and ends", {{{2, 0, "a"}}, {{2, 4, ""}}, {{6, 0, "b"}}}, {false, false, false}},
      {"two insertions at one place", {{{2, 0, "a"}}, {{2, 0, "b"}}}, {false, false}},
      {"an insertion inside a range", {{{3, 0, "a"}}, {{2, 4, ""}}}, {true, false}},
      {"crossing ranges", {{{0, 4, ""}}, {{2, 4, ""}}}, {true, true}},
      {"a range inside another, first", {{{2, 2, ""}}, {{0, 10, ""}}}, {true, false}},
      {"a range inside another, last", {{{0, 10, ""}}, {{2, 2, ""}}}, {false, true}},
      {"one range changed two ways", {{{2, 2, "a"}}, {{2, 2, "b"}}}, {true, true}},
      {"a fix of several ranges, one crossing",
       {{{0, 1, ""}, {5, 3, ""}}, {{7, 2, ""}}, {{20, 1, ""}}},
       {true, true, false}},
  };
  for (const auto& [what, fixes, refused] : cases) {
    std::vector<const std::vector<TextEdit>*> pointers;
    for (const auto& fix : fixes) pointers.push_back(&fix);
    EXPECT_EQ(RefusedFixes(pointers), refused) << what;
  }
}

TEST(PlanFixes, JudgesOverlapsOnTheFixesOwnReplacementsAndSaysWhatItSkips) {
  // Two initialisers removed from one list: each fix's cleanup alone takes the
  // comma between them, though the fixes themselves only touch.
  const std::u16string text = u"S() : a(), b(0) {}";
  Diagnostic first = WithFix("readability-redundant-member-init", {{6, 4, ""}});  // "a(),"
  first.ownFix = {{6, 3, ""}};
  Diagnostic second = WithFix("modernize-use-default-member-init", {{9, 1, ""}, {11, 5, ""}});  // "," and "b(0) "
  second.ownFix = {{11, 4, ""}};
  Diagnostic crossingA = WithFix("a-check", {{0, 2, "T"}});
  Diagnostic crossingB = WithFix("b-check", {{1, 2, "U"}});
  Diagnostic inserted = WithFix("c-check", {{16, 0, " "}});  // where the next fix's range starts
  Diagnostic replaced = WithFix("d-check", {{16, 2, "{ }"}});
  Diagnostic elsewhere = WithFix("e-check", {{1, 1, ""}});  // the library says it also changes a header
  elsewhere.fix.clear();
  elsewhere.fixLeftOut = "it changes another file too";
  const FixPlan plan =
      PlanFixes(ReportWith({first, first, second, crossingA, crossingB, inserted, replaced, elsewhere}, text), "*");
  ASSERT_EQ(plan.skipped.size(), 3u);
  EXPECT_NE(plan.skipped[0].find("[a-check] skipped: it overlaps another fix"), std::string::npos);
  EXPECT_NE(plan.skipped[1].find("[b-check] skipped: it overlaps another fix"), std::string::npos);
  EXPECT_NE(plan.skipped[2].find("[e-check] skipped: it changes another file too"), std::string::npos);
  // Finalised together, the four fixes the rule takes are one change (the repeat once).
  EXPECT_EQ(plan.together.at("a.cpp"),
            (std::vector<int32_t>{first.claimToken, second.claimToken, inserted.claimToken, replaced.claimToken}));
  // Fix by fix, the second's cleanup meets the first's: it waits for another run.
  ASSERT_EQ(plan.cleanupSkipped.at("a.cpp").size(), 1u);
  EXPECT_NE(plan.cleanupSkipped.at("a.cpp")[0].find(
                "[modernize-use-default-member-init] skipped: its cleanup meets that of a fix already applied"),
            std::string::npos);
  EXPECT_EQ(plan.fixCount.at("a.cpp"), 3);
  EXPECT_EQ(ApplyEdits(text, plan.edits.at("a.cpp")), u"S() :  b(0)  { }");
}

TEST(PlanFixes, TakesAFixOnlyWhenNoneOfItsEditsTouchesAnEditTakenBefore) {
  // In report order, and whether each is taken; the text is 27 units long.
  const std::pair<std::vector<TextEdit>, bool> cases[] = {
      {{{10, 4, "a"}}, true},
      {{{14, 2, "b"}}, true},                // starts where the first ends
      {{{12, 1, "c"}}, false},               // inside the first
      {{{12, 0, "d"}}, false},               // an insertion inside it
      {{{14, 0, "e"}}, true},                // an insertion where another starts
      {{{9, 0, "f"}}, true},                 // an insertion just before the first
      {{{5, 5, "g"}}, false},                // ends on that insertion's place, after the first's start
      {{{9, 3, "n"}}, false},                // from that insertion's place into the first
      {{{0, 2, "h"}, {20, 5, "i"}}, true},   // edits on both sides of everything taken
      {{{3, 1, "j"}, {17, 6, "k"}}, false},  // one edit free, the other overlapping "i"
      {{{16, 1, "l"}}, true},                // between "b" and "i"
      {{{1, 20, "m"}}, false},               // spanning several
      {{{10, 4, "a"}}, true},                // the first fix again: silently left out
  };
  // Their own replacements are apart: only their final (cleaned-up) edits meet.
  std::vector<Diagnostic> diagnostics;
  for (const auto& [fix, taken] : cases) {
    diagnostics.push_back(WithFix("check", fix));
    diagnostics.back().ownFix = {{static_cast<uint32_t>(100 + 2 * diagnostics.size()), 1, "o"}};
  }
  const FixPlan plan = PlanFixes(ReportWith(diagnostics), "*");
  std::vector<uint32_t> offsets;
  for (const TextEdit& edit : plan.edits.at("a.cpp")) offsets.push_back(edit.offset);
  EXPECT_EQ(offsets, (std::vector<uint32_t>{0, 9, 10, 14, 14, 16, 20}));
  EXPECT_EQ(plan.fixCount.at("a.cpp"), 6);
  EXPECT_TRUE(plan.skipped.empty());
  EXPECT_EQ(plan.cleanupSkipped.at("a.cpp").size(),
            std::count_if(std::begin(cases), std::end(cases), [](const auto& c) { return !c.second; }));
  EXPECT_EQ(plan.together.at("a.cpp").size(), std::size(cases));
}

// Insertions at one place land in the order the fixes are finalised: the
// binary's, by place, then check, then message.
TEST(PlanFixes, FinalisesTogetherInTheBinarysOrder) {
  Diagnostic constMember = WithFix("readability-make-member-function-const", {{7, 0, " const"}});
  Diagnostic trailing = WithFix("modernize-use-trailing-return-type", {{0, 3, "auto"}, {7, 0, " -> int"}});
  Diagnostic laterMessage = WithFix("a-check", {{9, 0, "b"}}), earlierMessage = WithFix("a-check", {{9, 0, "a"}});
  constMember.offset = trailing.offset = laterMessage.offset = earlierMessage.offset = 4;
  laterMessage.message = "z";
  earlierMessage.message = "y";
  Diagnostic before = WithFix("z-check", {{20, 0, "c"}});
  before.offset = 1;
  const FixPlan plan = PlanFixes(ReportWith({constMember, laterMessage, trailing, earlierMessage, before}), "*");
  EXPECT_EQ(plan.together.at("a.cpp"),
            (std::vector<int32_t>{before.claimToken, earlierMessage.claimToken, laterMessage.claimToken,
                                  trailing.claimToken, constMember.claimToken}));
}

TEST(ReplaceFileContent, AConcurrentSaveBeforeTheLastCheckIsNeverOverwritten) {
  // Saves by another program landing just before the last look at the file; whether the file remains.
  const std::tuple<const char*, std::function<void(const fs::path&)>, bool> saves[] = {
      {"in place", [](const fs::path& file) { std::ofstream(file, std::ios::trunc) << "saved"; }, true},
      {"same content, new file",
       [](const fs::path& file) {
         std::ofstream(file.string() + ".new") << "old";
         fs::rename(file.string() + ".new", file);
       },
       true},
      {"deleted", [](const fs::path& file) { fs::remove(file); }, false},
  };
  for (const bool hardLinked : {false, true}) {  // a rename, or a write in place
    for (const auto& [name, save, fileRemains] : saves) {
      SCOPED_TRACE(std::string(name) + (hardLinked ? ", hard-linked" : ""));
      zotest::TempDir dir;
      const fs::path file = dir.Write("t.cpp", "old");
      if (hardLinked) fs::create_hard_link(file, dir.Path() / "other.cpp");
      std::string before, error;
      EXPECT_FALSE(ReplaceFileContent(file.string(), "new", "old", error, [&] {
        save(file);
        before = fs::exists(file) ? zotest::ReadBytes(file) : "";
      }));
      EXPECT_NE(error.find("changed on disk"), std::string::npos) << error;
      EXPECT_EQ(fs::exists(file), fileRemains);
      EXPECT_EQ(fs::exists(file) ? zotest::ReadBytes(file) : "", before);
      EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()),
                fileRemains + hardLinked);  // no temporary left
    }
  }
}

TEST(ReplaceFileContent, SaysWhyItCannotWrite) {
  zotest::TempDir dir;
  fs::create_symlink("missing.cpp", dir.Path() / "dangling.cpp");
  std::string error;
  EXPECT_FALSE(ReplaceFileContent((dir.Path() / "dangling.cpp").string(), "new", "old", error));
  EXPECT_NE(error.find("the link names a missing file"), std::string::npos) << error;
  EXPECT_FALSE(ReplaceFileContent("/dev/null", "new", "", error));
  EXPECT_NE(error.find("not a regular file"), std::string::npos) << error;
}

}  // namespace
}  // namespace zoci
