// Choosing a compile command for a file without one (see compile_stand_in.h).
#include "compile_stand_in.h"

#include <algorithm>
#include <filesystem>
#include <tuple>

namespace zoci {
namespace {

namespace fs = std::filesystem;

/// How many folder names next to a file count, and the shortest that does
/// (a one-letter folder says little).
constexpr size_t kFoldersCompared = 4, kShortestFolder = 2;

bool IsSeparator(char c) { return c == '/' || c == fs::path::preferred_separator; }

/// What of a path the likeness of two paths looks at.
struct PathParts {
  std::string_view stem;                  ///< the name without its extension
  std::vector<std::string_view> folders;  ///< the last few folder names, innermost first
  std::string_view above;                 ///< the path above those, with its last separator
};

/// `path`'s parts; they point into `path`.
PathParts PartsOf(std::string_view path) {
  PathParts parts;
  size_t end = path.size();
  while (end > 0 && !IsSeparator(path[end - 1])) --end;
  parts.stem = path.substr(end);
  parts.stem = parts.stem.substr(0, std::min(parts.stem.size(), parts.stem.rfind('.')));
  while (end > 1 && parts.folders.size() < kFoldersCompared) {
    size_t begin = end - 1;
    while (begin > 0 && !IsSeparator(path[begin - 1])) --begin;
    if (begin == 0) break;  // a drive or no root: not a folder of its own
    parts.folders.push_back(path.substr(begin, end - 1 - begin));
    end = begin;
  }
  parts.above = path.substr(0, end);
  return parts;
}

/// Points for how much `candidate` has of `file`: its name without extension
/// begins with the file's (one) or is the file's (two); one for each of the
/// file's near folder names among its own; one when it lies below the folder
/// above those.
int Likeness(const PathParts& file, std::string_view candidatePath) {
  const PathParts candidate = PartsOf(candidatePath);
  int points = candidate.stem.starts_with(file.stem) + (candidate.stem == file.stem);
  for (const std::string_view folder : file.folders) {
    points += folder.size() >= kShortestFolder &&
              std::find(candidate.folders.begin(), candidate.folders.end(), folder) != candidate.folders.end();
  }
  return points + (file.above.size() > 1 && candidatePath.starts_with(file.above));
}

size_t SharedPrefix(std::string_view a, std::string_view b) {
  return static_cast<size_t>(std::mismatch(a.begin(), a.end(), b.begin(), b.end()).first - a.begin());
}

}  // namespace

NamedLanguage LanguageNamed(std::string_view path) {
  return path.ends_with(".c") ? NamedLanguage::c : path.ends_with(".h") ? NamedLanguage::either : NamedLanguage::cxx;
}

std::optional<size_t> StandInFor(const std::string& file, const std::vector<std::string>& paths) {
  // Ranked by the file's language, points, the longest common beginning, then the database's order.
  const NamedLanguage language = LanguageNamed(file);
  const PathParts parts = PartsOf(file);
  std::optional<size_t> best;
  std::tuple<bool, int, size_t> bestRank;
  for (size_t i = 0; i < paths.size(); ++i) {
    const bool preferred = language == NamedLanguage::either || LanguageNamed(paths[i]) == language;
    const std::tuple<bool, int, size_t> rank{preferred, Likeness(parts, paths[i]), SharedPrefix(file, paths[i])};
    if (!best || rank > bestRank) best = i, bestRank = rank;
  }
  return best;
}

}  // namespace zoci
