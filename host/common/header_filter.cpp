// Header filters (see header_filter.h).
#include "header_filter.h"

namespace zoci {
namespace {

/// The compiled form of a non-empty expression; none for an empty one, which
/// matches nothing. Throws std::regex_error when it does not parse.
std::optional<std::regex> Compiled(const std::string& text) {
  if (text.empty()) return std::nullopt;
  return std::regex(text, std::regex::extended | std::regex::optimize);
}

/// Compiles `text` into `pattern`; false, with `error` naming `what`, when it does not parse.
bool CompileInto(std::optional<std::regex>& pattern, const std::string& text, const char* what, std::string& error) {
  try {
    pattern = Compiled(text);
    return true;
  } catch (const std::regex_error& bad) {
    error = std::string("the ") + what + " '" + text + "' is not a POSIX extended regular expression: " + bad.what();
    return false;
  }
}

bool Found(const std::optional<std::regex>& pattern, const std::string& path) {
  return pattern && std::regex_search(path, *pattern);
}

}  // namespace

HeaderFilterTexts Overlaid(const HeaderFilterTexts& base, const HeaderFilterTexts& overriding) {
  return {overriding.include ? overriding.include : base.include,
          overriding.exclude ? overriding.exclude : base.exclude};
}

std::optional<HeaderFilter> HeaderFilter::Compile(const HeaderFilterTexts& texts, std::string& error) {
  HeaderFilter filter;
  filter.includeAll_ = !texts.include;
  if ((texts.include && !CompileInto(filter.include_, *texts.include, "header filter", error)) ||
      (texts.exclude && !CompileInto(filter.exclude_, *texts.exclude, "header exclusion filter", error))) {
    return std::nullopt;
  }
  return filter;
}

bool HeaderFilter::Shows(const std::string& path) const {
  return (includeAll_ || Found(include_, path)) && !Found(exclude_, path);
}

}  // namespace zoci
