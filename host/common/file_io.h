// Reading whole source files for zoci: regular files only, up to a size limit,
// so that a FIFO, a device or a runaway file is refused instead of hanging or
// filling memory.
#pragma once

#include <cstdint>
#include <filesystem>
#include <istream>
#include <string>

namespace zoci {

/// The largest source zoci reads unless told otherwise (--max-file-size).
inline constexpr uint64_t kDefaultMaxFileBytes = uint64_t{64} << 20;

/// Reads a whole regular file of at most `limit` bytes; false with a message
/// for anything else (folder, FIFO, device, a file past the limit, a read error).
bool ReadFileBytes(const std::filesystem::path& path, std::string& bytes, std::string& error,
                   uint64_t limit = kDefaultMaxFileBytes);

/// Reads all of `in` (standard input) of at most `limit` bytes; false with a message past it.
bool ReadStreamBytes(std::istream& in, const std::string& name, std::string& bytes, std::string& error, uint64_t limit);

/// Whether `path`, when it exists, is a file zoci may hand to the engine (a
/// regular file); false with a message otherwise.
bool IsReadableSource(const std::filesystem::path& path, std::string& error);

}  // namespace zoci
