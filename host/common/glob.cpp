// Glob lists for check names (see glob.h).
#include "glob.h"

#include <algorithm>
#include <cctype>

namespace zoci {
namespace {

bool MatchesGlob(std::string_view glob, std::string_view name) {
  if (glob.empty()) return name.empty();
  if (glob.front() == '*') {
    for (size_t skip = 0; skip <= name.size(); ++skip) {
      if (MatchesGlob(glob.substr(1), name.substr(skip))) return true;
    }
    return false;
  }
  return !name.empty() && glob.front() == name.front() && MatchesGlob(glob.substr(1), name.substr(1));
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
  return text;
}

}  // namespace

bool MatchesGlobList(std::string_view globs, std::string_view name) {
  bool selected = false;
  while (!globs.empty()) {
    const size_t comma = globs.find(',');
    std::string_view glob = Trim(globs.substr(0, comma));
    globs = comma == std::string_view::npos ? std::string_view() : globs.substr(comma + 1);
    const bool exclude = !glob.empty() && glob.front() == '-';
    if (exclude) glob = Trim(glob.substr(1));
    if (!glob.empty() && MatchesGlob(glob, name)) selected = !exclude;
  }
  return selected;
}

bool MatchesGlobList(std::string_view globs, std::string_view name, const std::vector<std::string>& aliases) {
  return MatchesGlobList(globs, name) || std::any_of(aliases.begin(), aliases.end(), [globs](const std::string& alias) {
           return MatchesGlobList(globs, alias);
         });
}

}  // namespace zoci
