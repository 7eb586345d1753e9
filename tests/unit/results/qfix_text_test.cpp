// The text form of quick-fix records.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "results/qfix_text.h"

namespace Native = Quillfern::ZoCodeInspections::Native;
using ::testing::ElementsAre;

namespace {

TEST(QfixText, SpansPrintAsHalfOpenRanges) {
  EXPECT_EQ(Native::FormatSpan({5, 2}), "[5,7)");
  EXPECT_EQ(Native::FormatSpan({4, 0}), "[4,4)");
}

TEST(QfixText, RecordsListTheirActionsAndReplacements) {
  Native::qfix record;
  record.checkname = "modernize-x";
  record.message = "use x";
  record.filename = "a.c";
  record.triggerspan = {8, 1};
  record.actions.push_back({"use x", {{"x", {8, 3}, {10, 3}}}, {{"y", {1, 0}, {0, 0}}}, 7});
  record.actions.push_back({"none", {}, {}, 0});
  EXPECT_THAT(Native::QfixLines(record),
              ElementsAre("qfix{", "  checkname: modernize-x", "  message: use x", "  filename: a.c",
                          "  triggerspan: [8,9)", "  actions: ", "  action{use x:",
                          "    repl{[8,11)||[10,13) : x}", " -- new -- ", "    repl{[1,1)||[0,0) : y}",
                          "  }", "  action{none:", " -- new -- ", "  }", "  }"));
  EXPECT_EQ(Native::ResultsText({record, record}).size(), 30u);
}

}  // namespace
