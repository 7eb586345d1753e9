// The service a host uses against a scripted engine: Initialize, forwarding,
// the engine made on first need, and the operations between and after
// inspections. The engine's final form of a fix reaching the host is pinned
// by zoci's fix tests.
#include <gmock/gmock.h>

#include "platform/platform.h"
#include "support/run_fixture.h"

namespace zotest {
namespace {

namespace Platform = Quillfern::ZoCodeInspections::Native::Platform;

TEST_F(RunTest, InitializeGivesBothVersionsAndSetsTmpToAnExistingOrOneLevelNewFolderOrLeavesIt) {
  const std::string saved = Platform::GetEnvironment("TMP").value_or("/tmp");
  const std::string existing = dir.Path().string() + "/./";
  const std::string created = (dir.Path() / "new").string();
  // clang-format off
  const std::pair<std::string, std::string> cases[] = {
      {"", "unchanged"}, {existing, existing}, {created, created}, {(dir.Path() / "missing" / "tmp").string(), "unchanged"}};
  // clang-format on
  for (const auto& [folder, tmp] : cases) {
    Platform::SetEnvironment("TMP", "unchanged");
    EXPECT_EQ(service.Initialize(folder, false), "Clang scripted(false) scripted(true)") << folder;
    EXPECT_EQ(Platform::GetEnvironment("TMP"), tmp) << folder;
    EXPECT_STREQ(getenv("TMP"), tmp.c_str());  // the runtime's copy too
  }
  Platform::SetEnvironment("TMP", saved);
  EXPECT_TRUE(std::filesystem::is_directory(created));
  EXPECT_EQ(engine.Calls().front().arguments, std::vector<std::string>{"true"});  // asked first
}

// The engine is made on first need and kept; one that cannot be made is
// reported and tried again by the next call. Forwarding passes its words and
// a zero and returns the answer.
TEST(ServiceEngine, IsMadeOnceAndAFailureIsReportedAndTriedAgain) {
  int attempts = 0;
  ScriptedEngine engine;
  ZoCodeInspectionsInterop2 service{[&]() -> IZOClangTidy& {
    if (++attempts == 1) throw EngineUnavailable("no engine here");
    return engine;
  }};
  EXPECT_EQ(service.Initialize("", false), "error: no engine here");
  EXPECT_EQ(service.ForwardToEngine(7, 3), 10u);
  EXPECT_EQ(service.ForwardToEngine(1, 2), 3u);
  EXPECT_EQ(attempts, 2);
  EXPECT_EQ(engine.Calls().at(0).arguments, (std::vector<std::string>{"7", "3", "0"}));
}

// A file with non-ASCII text before a diagnostic whose fix replaces "0" by
// "nullptr": the engine offset is in bytes ("é" and "😀" take 2 and 4), the
// host span in UTF-16 units (1 and 2).
TEST_F(RunTest, AClaimedFixComesBackInUtf16CoordinatesFromItsOwnServiceOnly) {
  const std::string file = dir.Write("a.cpp", "// \xC3\xA9 \xF0\x9F\x98\x80\nint* p = 0;\n").string();
  engine.SetScript(ScriptWithFixes("yaml", FixesFile{file, {Nullptr(file, 20)}}));
  // The editor reads BOM-less UTF-8 as UTF-8, so the engine sees the bytes.
  auto token = [&] {
    return static_cast<uint32_t>(
        Parse(file, {}, ModeFlags::editorAutoDetectUtf8)->qfixes.at(0).actions.at(0).claimToken);
  };
  const uint32_t first = token();
  const FixReplacements fix = service.GetFixReplacements(first);
  const repl& replacement = fix.replacements.at(0);
  EXPECT_EQ(std::tie(replacement.text, replacement.span, replacement.engineSpan, fix.fileKey),
            std::make_tuple("nullptr", ZoSpan{17, 1}, ZoSpan{0, 0}, Platform::AsciiLower(file)));
  EXPECT_EQ(fix.replacements.size(), 1u);
  ZoCodeInspectionsInterop2 other{[this]() -> IZOClangTidy& { return engine; }};
  EXPECT_TRUE(other.GetFixReplacements(first).replacements.empty());
  // Withdrawn, unknown and declined fixes give the empty result.
  auto empty = [&](uint32_t claim) {
    const FixReplacements none = service.GetFixReplacements(claim);
    return none.replacements.empty() && none.fileKey.empty();
  };
  const uint32_t second = token();
  EXPECT_GT(second, first);
  for (uint32_t withdrawn : {first, 0u, 999999u}) EXPECT_TRUE(empty(withdrawn)) << withdrawn;
  EngineScript declining;
  declining.finalise = [](auto&, auto&, auto&) { return std::optional<std::vector<EngineReplacement>>(); };
  engine.SetScript(declining);
  EXPECT_TRUE(empty(second));
}

// A fix that also changes a header is told apart from its neighbours, whose
// files are their own.
TEST_F(RunTest, AClaimedFixSaysWhetherItChangesOtherFiles) {
  const std::string file = dir.Write("a.cpp", "int* p = 0; int* q = 0;\n").string();
  const std::string header = dir.Write("a.h", "struct S {};\n").string();
  FixesDiagnostic twoFiles = Nullptr(file, 21, "changes a.h too");
  twoFiles.fix[header].insert(FixReplacement{header, 7, 0, "int x;"});
  engine.SetScript(ScriptWithFixes("yaml", FixesFile{file, {Nullptr(file, 9), twoFiles}}));
  const auto result = Parse(file);
  ASSERT_EQ(result->qfixes.size(), 2u);
  std::vector<bool> changesOtherFiles;
  for (const qfix& record : result->qfixes)
    changesOtherFiles.push_back(service.FixChangesOtherFiles(static_cast<uint32_t>(record.actions.at(0).claimToken)));
  EXPECT_EQ(changesOtherFiles, (std::vector<bool>{false, true}));
  EXPECT_FALSE(service.FixChangesOtherFiles(999999u));
}

TEST_F(RunTest, MappersOfTextsAndFilesAndTheCachesThatClearingEmpties) {
  const std::u16string withBom = u"\uFEFFa\u00E9\nb";
  auto mapper = service.CreateTextMapper(withBom.data(), static_cast<uint32_t>(withBom.size()));
  EXPECT_EQ(mapper->Utf16View(), u"a\u00E9\nb");  // without the byte order mark
  EXPECT_EQ(*mapper->Utf8Text(), "a\xC3\xA9\nb");
  const std::u16string plain = u"x\ny";
  EXPECT_EQ(service.CreateTextMapper(plain.data(), static_cast<uint32_t>(plain.size()))->Utf16View(), plain);
  const auto file = dir.Write("c.cpp", "caf\xE9\nx\n").string();
  const std::u16string path(file.begin(), file.end()), missing = path + u".missing";
  auto fileMapper = [&](const std::u16string& name) {
    return service.GetFileMapper(name.data(), static_cast<uint32_t>(name.size()));
  };
  EXPECT_FALSE(fileMapper(missing));
  for (void (IZoCodeInspectionsInterop2::*clear)() :
       {&IZoCodeInspectionsInterop2::ClearCaches, &IZoCodeInspectionsInterop2::ReleaseCaches}) {
    const auto cached = fileMapper(path);  // loaded though not cached
    EXPECT_EQ(cached->Utf16View(), u"caf\u00E9\nx\n");
    EXPECT_EQ(fileMapper(path), cached);
    (service.*clear)();
    EXPECT_NE(fileMapper(path), cached);
  }
}

}  // namespace
}  // namespace zotest
