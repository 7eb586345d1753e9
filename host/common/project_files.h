// Which files one zoci run inspects when it covers a project: the given list
// (or every entry of the compile database, in its order) narrowed by --files
// and --exclude, and for one of N CI runners a stable share of it (--shard K/N)
// balanced by file size.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace zoci {

/// Runner `index` (1-based) of `count`.
struct Shard {
  unsigned index = 1;
  unsigned count = 1;
};

/// "K/N" with 1 <= K <= N; none otherwise.
std::optional<Shard> ParseShard(const std::string& text);

/// What to keep of a file list.
struct FileFilter {
  std::string include;  ///< ECMAScript regex searched in each path; empty keeps all
  std::string exclude;  ///< ECMAScript regex searched in each path; empty drops none
  Shard shard;
};

/// The files of `files` that `filter` keeps, in their order. The shards split
/// the filtered list by size (largest first, each to the lightest shard so far,
/// ties by path), so every runner computes the same split from the same files.
/// Throws std::regex_error for a pattern that does not parse.
std::vector<std::string> SelectFiles(const std::vector<std::string>& files, const FileFilter& filter,
                                     const std::function<uintmax_t(const std::string&)>& sizeOf);

/// Size of a file on disk, 0 when it cannot be read.
uintmax_t FileSizeOrZero(const std::string& path);

}  // namespace zoci
