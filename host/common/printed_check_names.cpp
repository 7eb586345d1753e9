// Check names of the engine's printed diagnostics (see printed_check_names.h).
#include "printed_check_names.h"

#include <algorithm>
#include <charconv>
#include <iterator>
#include <optional>

namespace zoci {
namespace {

constexpr std::string_view kPromotedMark = "-warnings-as-errors";

std::vector<std::string> SplitNames(std::string_view list) {
  std::vector<std::string> names;
  while (!list.empty()) {
    const size_t comma = list.find(',');
    const std::string_view name = list.substr(0, comma);
    if (name != kPromotedMark) names.emplace_back(name);
    list = comma == std::string_view::npos ? std::string_view() : list.substr(comma + 1);
  }
  return names;
}

/// The number after the last ':' of `text`, cutting it off; none when there is none.
std::optional<int32_t> TakeTrailingNumber(std::string_view& text) {
  const size_t colon = text.rfind(':');
  if (colon == std::string_view::npos) return std::nullopt;
  const std::string_view digits = text.substr(colon + 1);
  int32_t number = 0;
  const auto [end, failed] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
  if (failed != std::errc() || end != digits.data() + digits.size() || digits.empty()) return std::nullopt;
  text = text.substr(0, colon);
  return number;
}

/// The message after the first ": warning: " or ": error: " of `head`,
/// cutting it and its level off; none when `head` has neither.
std::optional<std::string> CutMessage(std::string_view& head) {
  constexpr std::string_view kWarning = ": warning: ", kError = ": error: ";
  const size_t warning = head.find(kWarning), error = head.find(kError);
  if (warning == std::string_view::npos && error == std::string_view::npos) return std::nullopt;
  const size_t level = std::min(warning, error);
  std::string message(head.substr(level + (level == warning ? kWarning : kError).size()));
  head = head.substr(0, level);
  return message;
}

}  // namespace

PrintedCheckNames::PrintedCheckNames(std::string_view log) {
  while (!log.empty()) {
    const size_t end = log.find('\n');
    Read(log.substr(0, end));
    log = end == std::string_view::npos ? std::string_view() : log.substr(end + 1);
  }
}

void PrintedCheckNames::Read(std::string_view line) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  const size_t open = line.rfind(" [");
  if (line.empty() || line.back() != ']' || open == std::string_view::npos) return;
  const std::string_view list = line.substr(open + 2, line.size() - open - 3);
  if (list.find(',') == std::string_view::npos || list.find_first_of("[]") != std::string_view::npos) return;
  std::string_view head = line.substr(0, open);
  const std::optional<std::string> message = CutMessage(head);
  if (!message) return;
  const std::optional<int32_t> column = TakeTrailingNumber(head);
  const std::optional<int32_t> number = column ? TakeTrailingNumber(head) : std::nullopt;
  if (!number || *number < 1) return;
  std::vector<std::string> names = SplitNames(list);
  const auto [known, added] = names_.try_emplace(Place{std::string(head), *number - 1, *message}, names);
  if (!added && known->second != names) known->second.clear();
}

std::vector<std::string> PrintedCheckNames::AliasesOf(const std::string& file, int32_t line, const std::string& message,
                                                      const std::string& check) const {
  if (names_.empty()) return {};  // the usual run: no lookup key to build for each record
  const auto found = names_.find(Place{file, line, message});
  if (found == names_.end() || std::find(found->second.begin(), found->second.end(), check) == found->second.end())
    return {};
  std::vector<std::string> aliases;
  std::copy_if(found->second.begin(), found->second.end(), std::back_inserter(aliases),
               [&check](const std::string& name) { return name != check; });
  return aliases;
}

}  // namespace zoci
