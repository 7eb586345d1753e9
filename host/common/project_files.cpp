#include "project_files.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <numeric>
#include <regex>
#include <set>

namespace zoci {
namespace {

std::optional<unsigned> NumberOf(std::string_view text) {
  unsigned value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::vector<std::string> Matching(const std::vector<std::string>& files, const FileFilter& filter) {
  const std::regex include(filter.include.empty() ? std::string(".") : filter.include);
  const std::optional<std::regex> exclude =
      filter.exclude.empty() ? std::nullopt : std::optional<std::regex>(std::regex(filter.exclude));
  std::vector<std::string> kept;
  for (const std::string& file : files) {
    const bool included = filter.include.empty() || std::regex_search(file, include);
    if (included && !(exclude && std::regex_search(file, *exclude))) kept.push_back(file);
  }
  return kept;
}

/// The files of shard `shard`: the largest file first, each to the shard with
/// the least bytes so far (the lowest such shard on a tie).
std::set<std::string> ShareOf(const std::vector<std::string>& files, Shard shard,
                              const std::function<uintmax_t(const std::string&)>& sizeOf) {
  std::vector<std::pair<uintmax_t, std::string>> bySize;
  bySize.reserve(files.size());
  for (const std::string& file : files) bySize.emplace_back(sizeOf(file), file);
  std::sort(bySize.begin(), bySize.end(),
            [](const auto& a, const auto& b) { return a.first != b.first ? a.first > b.first : a.second < b.second; });
  std::vector<uintmax_t> load(shard.count, 0);
  std::set<std::string> share;
  for (const auto& [size, file] : bySize) {
    const auto lightest = static_cast<unsigned>(std::min_element(load.begin(), load.end()) - load.begin());
    load[lightest] += std::max<uintmax_t>(size, 1);
    if (lightest + 1 == shard.index) share.insert(file);
  }
  return share;
}

}  // namespace

std::optional<Shard> ParseShard(const std::string& text) {
  const size_t slash = text.find('/');
  if (slash == std::string::npos) return std::nullopt;
  const auto index = NumberOf(std::string_view(text).substr(0, slash));
  const auto count = NumberOf(std::string_view(text).substr(slash + 1));
  if (!index || !count || *index < 1 || *index > *count) return std::nullopt;
  return Shard{*index, *count};
}

std::vector<std::string> SelectFiles(const std::vector<std::string>& files, const FileFilter& filter,
                                     const std::function<uintmax_t(const std::string&)>& sizeOf) {
  std::vector<std::string> kept = Matching(files, filter);
  if (filter.shard.count <= 1) return kept;
  const std::set<std::string> share = ShareOf(kept, filter.shard, sizeOf);
  kept.erase(std::remove_if(kept.begin(), kept.end(), [&](const std::string& file) { return !share.contains(file); }),
             kept.end());
  return kept;
}

uintmax_t FileSizeOrZero(const std::string& path) {
  std::error_code failed;
  const uintmax_t size = std::filesystem::file_size(path, failed);
  return failed ? 0 : size;
}

}  // namespace zoci
