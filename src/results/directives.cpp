#include "results/directives.h"

#include <algorithm>
#include <limits>
#include <regex>
#include <stdexcept>

#include "platform/platform.h"

namespace Quillfern::ZoCodeInspections::Native {

namespace {

constexpr auto kSyntax = std::regex::ECMAScript | std::regex::icase | std::regex::optimize;

const std::regex& SkipExpression() {
  static const std::regex expression(R"(zoCI:skip((all)|([+-])?([[:digit:]]+|\*))?(:([a-zA-Z0-9\-.,]+))?)", kSyntax);
  return expression;
}

const std::regex& SkipAllExpression() {
  static const std::regex expression(R"(zoCI:)"
                                     R"(skipall(?!:))",
                                     kSyntax);
  return expression;
}

const std::regex& OptionExpression() {
  static const std::regex expression(R"(ZOCI:option:([0-9a-zA-Z._\-]+)\s*=\s*([0-9a-zA-Z_.\-]+))", kSyntax);
  return expression;
}

using Match = std::match_results<std::string_view::const_iterator>;

/// Calls `onMatch` for every match of `expression` in text order. Every
/// directive starts with "zoci:" (any case), so the expression is only tried
/// where that prefix occurs: the text itself is searched at memory speed.
template <typename OnMatch>
void ForEachDirective(std::string_view text, const std::regex& expression, OnMatch&& onMatch) {
  static constexpr std::string_view kPrefix = "zoci:";
  const auto sameLetter = [](char a, char lower) {
    return (a >= 'A' && a <= 'Z' ? static_cast<char>(a - 'A' + 'a') : a) == lower;
  };
  const auto* from = text.begin();
  while (true) {
    from = std::search(from, text.end(), kPrefix.begin(), kPrefix.end(), sameLetter);
    if (from == text.end()) return;
    Match match;
    if (std::regex_search(from, text.end(), match, expression, std::regex_constants::match_continuous)) {
      onMatch(match, static_cast<size_t>(from - text.begin()));
      from = match[0].second;
    } else {
      ++from;
    }
  }
}

/// A count as written: "*", or decimal digits that must fit 32 bits. Counts
/// beyond the signed range would wrap the line arithmetic: they cover as
/// many lines as "*".
int64_t CountOf(const std::string& written) {
  if (written == "*") return kSkipStarCount;
  uint64_t count = 0;
  for (const char digit : written) {
    count = count * 10 + static_cast<uint64_t>(digit - '0');
    if (count > std::numeric_limits<uint32_t>::max()) {
      throw std::out_of_range("stoul argument out of range");
    }
  }
  if (count > static_cast<uint64_t>(std::numeric_limits<int32_t>::max())) return kSkipStarCount;
  return static_cast<int64_t>(count);
}

std::vector<std::string> SplitCheckList(const std::string& list) {
  std::vector<std::string> checks;
  size_t start = 0;
  while (start <= list.size()) {
    const size_t comma = std::min(list.find(',', start), list.size());
    if (comma > start) checks.push_back(list.substr(start, comma - start));
    start = comma + 1;
  }
  return checks;
}

int32_t ClampToLine(int64_t line) {
  return static_cast<int32_t>(std::clamp<int64_t>(line, 0, std::numeric_limits<int32_t>::max()));
}

/// Parses one skip or skip-all directive into `parsed`.
class DirectiveParser {
 public:
  DirectiveParser(clfile& record, FileDirectives& parsed) : record_(record), parsed_(parsed) {}

  void Add(const Match& match, size_t offset) {
    const bool all = match[2].matched;
    std::vector<std::string> checks = match[6].matched ? SplitCheckList(match[6].str()) : std::vector<std::string>();
    if (all) {
      if (checks.empty()) {
        parsed_.skipAll = true;
      } else {
        parsed_.rules.push_back({0, kSkipStarCount - 1, std::move(checks)});
      }
      return;
    }
    const bool backwards = match[3].matched && match[3].str() == "-";
    const int64_t count = match[4].matched ? CountOf(match[4].str()) : 1;
    if (count == 0) return;
    const std::optional<uint32_t> line = LineOf(offset);
    if (!line) return;
    const int64_t first = backwards ? int64_t{*line} - count + 1 : int64_t{*line};
    const int64_t last = backwards ? int64_t{*line} : int64_t{*line} + count - 1;
    parsed_.rules.push_back({ClampToLine(first), ClampToLine(last), std::move(checks)});
  }

 private:
  std::optional<uint32_t> LineOf(size_t offset) {
    if (!mapperAsked_) {
      mapper_ = GetRecordMapper(record_);
      mapperAsked_ = true;
    }
    if (!mapper_) return std::nullopt;
    return mapper_->LineOf(static_cast<uint32_t>(offset));
  }

  clfile& record_;
  FileDirectives& parsed_;
  std::shared_ptr<IUtfIndexMapper> mapper_;
  bool mapperAsked_ = false;
};

}  // namespace

std::shared_ptr<const FileDirectives> GetDirectives(clfile& record) {
  // Records are shared between concurrent parses: check and store together.
  std::lock_guard lock(record.mutex);
  if (record.directives) return record.directives;
  if (record.utf8Text.empty()) return nullptr;
  const std::shared_ptr<const std::string> text = record.utf8Text.get();
  auto parsed = std::make_shared<FileDirectives>();
  DirectiveParser parser(record, *parsed);
  ForEachDirective(text ? std::string_view(*text) : std::string_view(), SkipExpression(),
                   [&](const Match& match, size_t offset) { parser.Add(match, offset); });
  record.directives = parsed;
  return parsed;
}

bool IsSuppressed(const std::vector<SkipRule>& rules, int32_t line, const std::string& checkName) {
  return std::any_of(rules.begin(), rules.end(), [&](const SkipRule& rule) {
    if (line < rule.firstLine || line > rule.lastLine) return false;
    return rule.checks.empty() || std::any_of(rule.checks.begin(), rule.checks.end(), [&](const std::string& check) {
             return Platform::StrStrI(checkName.c_str(), check.c_str()) != nullptr;
           });
  });
}

bool HasSkipAllDirective(std::string_view text) {
  bool found = false;
  ForEachDirective(text, SkipAllExpression(), [&](const Match&, size_t) { found = true; });
  return found;
}

std::vector<std::pair<std::string, std::string>> OptionDirectives(std::string_view text) {
  std::vector<std::pair<std::string, std::string>> options;
  ForEachDirective(text, OptionExpression(),
                   [&](const Match& match, size_t) { options.emplace_back(match[1].str(), match[2].str()); });
  return options;
}

}  // namespace Quillfern::ZoCodeInspections::Native
