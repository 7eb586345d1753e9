// Quick-fix records: their text form, their order and de-duplication.
#include <gmock/gmock.h>

#include "results/qfix_order.h"
#include "results/qfix_text.h"

namespace Quillfern::ZoCodeInspections::Native {
namespace {

using ::testing::ElementsAre;

qfix Record(std::string file, uint32_t start, uint32_t length, std::string message, std::string check = "c") {
  return qfix{std::move(check), std::move(message), std::move(file), nullptr, {}, {start, length}, -1, nullptr};
}

TEST(QfixText, RecordsListTheirActionsAndReplacements) {
  qfix record = Record("a.c", 8, 1, "use x", "modernize-x");
  record.actions = {{"use x", {{"x", {8, 3}, {10, 3}}}, {{"y", {1, 0}, {0, 0}}}, 7}, {"none", {}, {}, 0}};
  EXPECT_THAT(
      QfixLines(record),
      ElementsAre("qfix{", "  checkname: modernize-x", "  message: use x", "  filename: a.c", "  triggerspan: [8,9)",
                  "  actions: ", "  action{use x:", "    repl{[8,11)||[10,13) : x}", " -- new -- ",
                  "    repl{[1,1)||[0,0) : y}", "  }", "  action{none:", " -- new -- ", "  }", "  }"));
  EXPECT_EQ(ResultsText({record, record}).size(), 30u);
}

/// Sorts and de-duplicates `records`: the check names of what is left, in order.
std::vector<std::string> Sorted(std::vector<qfix> records) {
  SortAndDeduplicate(records);
  std::vector<std::string> checks;
  for (const auto& record : records) checks.push_back(record.checkname);
  return checks;
}

// Files compare ignoring case ("_" before "A" only with A folded to "a"),
// then start, length and message; duplicates collapse to the first.
TEST(QfixOrder, FileIgnoringCaseThenStartThenLengthThenMessage) {
  EXPECT_THAT(Sorted({Record("b.c", 0, 1, "m", "6"), Record("A.c", 5, 2, "m", "4"), Record("a.c", 5, 1, "zz", "3"),
                      Record("a.c", 5, 1, "Z", "2"), Record("a.c", 1, 9, "m", "1"), Record("A.c", 5, 2, "mm", "5"),
                      Record("_.c", 9, 9, "m", "0")}),
              ElementsAre("0", "1", "2", "3", "4", "5", "6"));
  EXPECT_THAT(Sorted({Record("x.c", 3, 1, "same", "first"), Record("X.C", 3, 1, "same", "case"),
                      Record("x.c", 3, 1, "same", "check"), Record("x.c", 3, 1, "Same", "message"),
                      Record("x.c", 3, 2, "same", "length")}),
              ElementsAre("message", "first", "length"));
}

}  // namespace
}  // namespace Quillfern::ZoCodeInspections::Native
