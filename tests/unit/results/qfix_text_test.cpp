// Quick-fix records: their text form, their order and de-duplication.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "results/qfix_order.h"
#include "results/qfix_text.h"

namespace Native = Quillfern::ZoCodeInspections::Native;
using ::testing::ElementsAre;

namespace {

TEST(QfixText, RecordsListTheirActionsAndReplacements) {
  Native::qfix record;
  record.checkname = "modernize-x";
  record.message = "use x";
  record.filename = "a.c";
  record.triggerspan = {8, 1};
  record.actions.push_back({"use x", {{"x", {8, 3}, {10, 3}}}, {{"y", {1, 0}, {0, 0}}}, 7});
  record.actions.push_back({"none", {}, {}, 0});
  EXPECT_THAT(
      Native::QfixLines(record),
      ElementsAre("qfix{", "  checkname: modernize-x", "  message: use x", "  filename: a.c", "  triggerspan: [8,9)",
                  "  actions: ", "  action{use x:", "    repl{[8,11)||[10,13) : x}", " -- new -- ",
                  "    repl{[1,1)||[0,0) : y}", "  }", "  action{none:", " -- new -- ", "  }", "  }"));
  EXPECT_EQ(Native::ResultsText({record, record}).size(), 30u);
}

Native::qfix Record(std::string file, uint32_t start, uint32_t length, std::string message, std::string check = "c") {
  Native::qfix record;
  record.filename = std::move(file);
  record.triggerspan = {start, length};
  record.message = std::move(message);
  record.checkname = std::move(check);
  return record;
}

std::vector<std::string> Checks(const std::vector<Native::qfix>& records) {
  std::vector<std::string> checks;
  for (const auto& record : records) checks.push_back(record.checkname);
  return checks;
}

TEST(QfixOrder, FileIgnoringCaseThenStartThenLengthThenMessage) {
  std::vector<Native::qfix> records = {
      Record("b.c", 0, 1, "m", "6"), Record("A.c", 5, 2, "m", "4"), Record("a.c", 5, 1, "zz", "3"),
      Record("a.c", 5, 1, "Z", "2"), Record("a.c", 1, 9, "m", "1"), Record("A.c", 5, 2, "mm", "5"),
      Record("_.c", 9, 9, "m", "0"),  // before "A.c" only with A folded to "a"
  };
  Native::SortAndDeduplicate(records);
  EXPECT_THAT(Checks(records), ElementsAre("0", "1", "2", "3", "4", "5", "6"));
}

TEST(QfixOrder, DuplicatesCollapseToTheFirst) {
  std::vector<Native::qfix> records = {
      Record("x.c", 3, 1, "same", "first"),  Record("X.C", 3, 1, "same", "case"),
      Record("x.c", 3, 1, "same", "check"),  Record("x.c", 3, 1, "Same", "message"),
      Record("x.c", 3, 2, "same", "length"),
  };
  Native::SortAndDeduplicate(records);
  EXPECT_THAT(Checks(records), ElementsAre("message", "first", "length"));
}

}  // namespace
