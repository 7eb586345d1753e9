// The check names of the engine's printed diagnostics, read back from a run's log.
#include <gtest/gtest.h>

#include "printed_check_names.h"

namespace zoci {
namespace {

using Names = std::vector<std::string>;

TEST(PrintedCheckNames, GiveTheAliasesPrintedForADiagnosticsFilesLineAndMessage) {
  const std::string arrays = "do not declare C-style arrays, use std::array<> instead";
  const PrintedCheckNames printed("clangTidy returned code: 1\n\n/w/a.cpp:2:1: warning: " + arrays +
                                  " [cppcoreguidelines-avoid-c-arrays,hicpp-avoid-c-arrays,modernize-avoid-c-arrays]\n"
                                  "    2 | int b[3]; // /w/a.cpp:3:1: warning: m [a-y,b-y]\n"
                                  "      | ^\n"
                                  "C:\\w\\b.cpp:10:5: error: [x] and: warning: inside [a-x,b-x,-warnings-as-errors]\r\n"
                                  "/w/a.cpp:5:1: warning: m [a-y,b-y]\n"
                                  "/w/a.cpp:5:9: warning: m [b-y,c-y]\n"
                                  "/w/a.cpp:6:1: warning: single [only-one]\n"
                                  "/w/a.cpp:7:1: note: m [a-z,b-z]\n"
                                  "/w/a.cpp:x:1: warning: m [a-z,b-z]\n");
  const std::tuple<std::string, int32_t, std::string, std::string, Names> cases[] = {
      {"/w/a.cpp", 1, arrays, "cppcoreguidelines-avoid-c-arrays", {"hicpp-avoid-c-arrays", "modernize-avoid-c-arrays"}},
      {"/w/a.cpp", 1, arrays, "hicpp-avoid-c-arrays", {"cppcoreguidelines-avoid-c-arrays", "modernize-avoid-c-arrays"}},
      {"/w/a.cpp", 1, arrays, "misc-other", {}},  // a list that does not name the record's check
      {"/w/a.cpp", 0, arrays, "hicpp-avoid-c-arrays", {}},
      {"/w/a.cpp", 1, "do not declare", "hicpp-avoid-c-arrays", {}},
      {"/w/b.cpp", 1, arrays, "hicpp-avoid-c-arrays", {}},
      {"C:\\w\\b.cpp", 9, "[x] and: warning: inside", "a-x", {"b-x"}},  // the promotion mark is no name
      {"/w/a.cpp", 2, "m", "a-y", {}},                                    // only a source line says so
      {"/w/a.cpp", 4, "m", "b-y", {}},  // two lists for one line and message: neither is trusted
      {"/w/a.cpp", 5, "single", "only-one", {}},
      {"/w/a.cpp", 6, "m", "a-z", {}},  // a note names no check
  };
  for (const auto& [file, line, message, check, aliases] : cases)
    EXPECT_EQ(printed.AliasesOf(file, line, message, check), aliases) << file << ":" << line << " " << check;
}

}  // namespace
}  // namespace zoci
