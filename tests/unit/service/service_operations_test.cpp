// The service operations a host uses between and after inspections. The
// engine's final form of a fix reaching the host is pinned by zoci's fix tests.
#include <gmock/gmock.h>

#include <stdexcept>

#include "interop/utf_index_mapper.h"
#include "platform/platform.h"
#include "support/run_fixture.h"

namespace Native = Quillfern::ZoCodeInspections::Native;

namespace zotest {
namespace {

/// A file with non-ASCII text before a diagnostic whose fix replaces "0" by
/// "nullptr": the engine offset is in bytes, the host span in UTF-16 units.
class ClaimedFixTest : public RunTest {
 protected:
  void SetUp() override {
    RunTest::SetUp();
    file = dir.Write("a.cpp", text).string();
    FixesDiagnostic diagnostic;
    diagnostic.checkName = "modernize-use-nullptr";
    diagnostic.message = "use nullptr";
    diagnostic.filePath = file;
    diagnostic.offset = kZeroOffset;
    diagnostic.fix[file].insert(FixReplacement{file, kZeroOffset, 1, "nullptr"});
    engine.SetScript(ScriptWithFixes("yaml", FixesFile{file, {diagnostic}}));
  }

  int32_t TokenOfFirstFix() {
    // The editor reads BOM-less UTF-8 as UTF-8, so the engine sees the bytes.
    auto result = Parse(file, {}, ModeFlags::editorAutoDetectUtf8);
    return result->qfixes.at(0).actions.at(0).claimToken;
  }

  // "é" and "😀" take 2 and 4 bytes but 1 and 2 UTF-16 units.
  const std::string text = "// \xC3\xA9 \xF0\x9F\x98\x80\nint* p = 0;\n";
  static constexpr uint32_t kZeroOffset = 11 + 9;
  static constexpr uint32_t kZeroUnit = 8 + 9;
  std::string file;
};

TEST_F(ClaimedFixTest, AClaimedFixComesBackInUtf16Coordinates) {
  const int32_t token = TokenOfFirstFix();
  ASSERT_GT(token, 0);
  const FixReplacements fix = service.GetFixReplacements(static_cast<uint32_t>(token));
  ASSERT_EQ(fix.replacements.size(), 1u);
  EXPECT_EQ(fix.replacements[0].text, "nullptr");
  EXPECT_EQ(fix.replacements[0].span, (ZoSpan{kZeroUnit, 1}));
  EXPECT_EQ(fix.replacements[0].engineSpan, (ZoSpan{0, 0}));
  EXPECT_EQ(fix.fileKey, Native::Platform::AsciiLower(file));
}

TEST_F(ClaimedFixTest, WithdrawnUnknownAndDeclinedFixesGiveTheEmptyResult) {
  const int32_t first = TokenOfFirstFix();
  const int32_t second = TokenOfFirstFix();
  EXPECT_GT(second, first);
  for (uint32_t token : {static_cast<uint32_t>(first), 0u, 999999u}) {
    const FixReplacements fix = service.GetFixReplacements(token);
    EXPECT_TRUE(fix.replacements.empty());
    EXPECT_EQ(fix.fileKey, "");
  }
  EngineScript declining = ScriptWithFixes("", std::nullopt);
  declining.finalise = [](const std::string&, const std::string&, const std::vector<EngineReplacement>&) {
    return std::optional<std::vector<EngineReplacement>>();
  };
  engine.SetScript(declining);
  const FixReplacements fix = service.GetFixReplacements(static_cast<uint32_t>(second));
  EXPECT_TRUE(fix.replacements.empty());
  EXPECT_EQ(fix.fileKey, "");
}

// Claims belong to the service whose run made them.
TEST_F(ClaimedFixTest, AnotherServiceKnowsNoneOfThisOnesClaims) {
  const auto token = static_cast<uint32_t>(TokenOfFirstFix());
  ZoCodeInspectionsInterop2 other{[this]() -> IZOClangTidy& { return engine; }};
  EXPECT_TRUE(other.GetFixReplacements(token).replacements.empty());
  EXPECT_EQ(service.GetFixReplacements(token).replacements.size(), 1u);
}

// Nothing thrown reaches the host: it becomes a failed result that says what.
TEST_F(RunTest, AnEngineThatThrowsGivesAFailedResultWithItsMessage) {
  EngineScript script;
  script.queryIdentity = []() -> EngineIdentity { throw std::runtime_error("identity unknown"); };
  engine.SetScript(script);
  const auto result = Parse(dir.Write("t.cpp", "int t;").string());
  ASSERT_NE(result, nullptr);
  EXPECT_GE(result->status, 100);
  EXPECT_EQ(result->errorText, "*** exception/2: identity unknown\n");
}

TEST_F(RunTest, CreateTextMapperSkipsALeadingByteOrderMark) {
  const std::u16string withBom = u"\uFEFFa\u00E9\nb";
  auto mapper = service.CreateTextMapper(withBom.data(), static_cast<uint32_t>(withBom.size()));
  ASSERT_TRUE(mapper);
  EXPECT_EQ(mapper->Utf16View(), u"a\u00E9\nb");
  EXPECT_EQ(*mapper->Utf8Text(), "a\xC3\xA9\nb");
  const std::u16string plain = u"x\ny";
  EXPECT_EQ(service.CreateTextMapper(plain.data(), static_cast<uint32_t>(plain.size()))->Utf16View(), plain);
}

TEST_F(RunTest, GetFileMapperLoadsAFileThatWasNotCached) {
  const auto file = dir.Write("b.cpp", "caf\xE9\nx\n").string();
  const std::u16string path(file.begin(), file.end());
  EXPECT_EQ(service.GetFileMapper(path.data(), static_cast<uint32_t>(path.size()))->Utf16View(), u"caf\u00E9\nx\n");
  const std::u16string missing = path + u".missing";
  EXPECT_FALSE(service.GetFileMapper(missing.data(), static_cast<uint32_t>(missing.size())));
}

TEST_F(RunTest, ClearCachesAndReleaseCachesEmptyTheCache) {
  const auto file = dir.Write("c.cpp", "caf\xE9\n").string();
  const std::u16string path(file.begin(), file.end());
  auto mapper = [&] { return service.GetFileMapper(path.data(), static_cast<uint32_t>(path.size())); };
  for (void (IZoCodeInspectionsInterop2::*clear)() :
       {&IZoCodeInspectionsInterop2::ClearCaches, &IZoCodeInspectionsInterop2::ReleaseCaches}) {
    const auto cached = mapper();
    ASSERT_TRUE(cached);
    EXPECT_EQ(mapper(), cached);
    (service.*clear)();
    EXPECT_NE(mapper(), cached);
  }
}

}  // namespace
}  // namespace zotest
