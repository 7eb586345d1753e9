// One source saved in four encodings, inspected through the whole library
// (service, parser, real engine): every version gives the same diagnostics,
// and each span covers the same characters of its host text. This is also
// where the fixes a real run exports are read back.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "encoded_text.h"
#include "engine_driver.h"
#include "interop/interop2.h"
#include "service/service.h"
#include "support/temp_dir.h"

namespace zotest {
namespace {

using namespace Quillfern::ZoCodeInspections::Native;

// Only characters that Windows-1252 can hold, so all four versions carry the
// same text.
constexpr const char* kSource =
    "// Grüße aus der Küche \xE2\x80\x94 café, naïve, 5 \xE2\x82\xAC\n"
    "const char* Greeting() { return \"Grüße\"; }\n"
    "int* Menu(int* dish = 0) { /* crème brûlée */ return dish ? dish : 0; }\n"
    "struct Plat { Plat() {} int* entrée = 0; };\n";

/// What a diagnostic says and the host characters each of its spans covers.
struct SeenDiagnostic {
  std::string check;
  std::string message;
  std::u16string trigger;
  std::vector<std::u16string> replaced;
  std::vector<std::string> inserted;
  bool operator==(const SeenDiagnostic&) const = default;
};

void PrintTo(const SeenDiagnostic& seen, std::ostream* out) {
  *out << seen.check << ": " << seen.message << " (" << seen.trigger.size() << " units, " << seen.replaced.size()
       << " replacements)";
}

std::u16string Covered(const qfix& fix, ZoSpan span) {
  if (!fix.fileText || span.start + span.length > fix.fileText->size()) return u"<out of range>";
  return fix.fileText->substr(span.start, span.length);
}

std::vector<SeenDiagnostic> Seen(const RunResult& result) {
  std::vector<SeenDiagnostic> seen;
  for (const qfix& fix : result.qfixes) {
    SeenDiagnostic one{fix.checkname, fix.message, Covered(fix, fix.triggerspan), {}, {}};
    for (const action& alternative : fix.actions) {
      for (const repl& replacement : alternative.replacements) {
        one.replaced.push_back(Covered(fix, replacement.span));
        one.inserted.push_back(replacement.text);
      }
    }
    seen.push_back(std::move(one));
  }
  return seen;
}

class LibraryEncodings : public ::testing::Test {
 protected:
  ZoCodeInspectionsInterop2 service{RealEngine};  ///< a fresh service for every test

  std::vector<SeenDiagnostic> Inspect(const std::string& name, const std::string& bytes) {
    const std::string path = folder.Write(name, bytes).string();
    std::unique_ptr<IZoFileParser> parser(service.CreateFileParser(path, InspectionSettings{}));
    CheckOptions options;
    std::unique_ptr<RunResult> result =
        parser->Parse(ModeFlags::editorAutoDetectUtf8, UnsavedBuffers{},
                      "-*,modernize-use-nullptr,modernize-use-equals-default", "", options);
    if (!result) {
      ADD_FAILURE() << name << ": no result";
      return {};
    }
    EXPECT_LT(result->status, 100) << name << ": " << result->errorText;
    return Seen(*result);
  }

  TempDir folder;
};

TEST_F(LibraryEncodings, EveryEncodingGivesTheSameDiagnosticsOverTheSameCharacters) {
  const std::vector<SeenDiagnostic> utf8 = Inspect("plain.cpp", kSource);
  ASSERT_EQ(utf8.size(), 4u);
  for (const SeenDiagnostic& seen : utf8) ASSERT_EQ(seen.replaced.size(), 1u) << seen.message;
  EXPECT_EQ(utf8[0], (SeenDiagnostic{"modernize-use-nullptr", "use nullptr", u"0", {u"0"}, {"nullptr"}}));
  EXPECT_EQ(utf8[2].check, "modernize-use-equals-default");
  EXPECT_EQ(utf8[3].replaced[0], u"0") << "the initialiser after the accented member name";

  EXPECT_EQ(Inspect("bom.cpp", std::string("\xEF\xBB\xBF") + kSource), utf8);
  EXPECT_EQ(Inspect("wide.cpp", Utf16LeWithBom(kSource)), utf8);
  EXPECT_EQ(Inspect("big.cpp", Utf16Be(kSource, true)), utf8);
  EXPECT_EQ(Inspect("bignobom.cpp", Utf16Be(kSource, false)), utf8);
  EXPECT_EQ(Inspect("ansi.cpp", Windows1252(kSource)), utf8);
}

}  // namespace
}  // namespace zotest
