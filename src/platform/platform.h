// The platform layer: every operating-system service the library uses goes
// through here. platform_win32.cpp implements it with the Windows calls,
// platform_posix.cpp with POSIX ones. No other code includes system headers
// such as <windows.h>, <unistd.h> or <dlfcn.h>.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace Quillfern::ZoCodeInspections::Native::Platform {

// ---- Files -----------------------------------------------------------------

/// How an attempt to open a file for reading ended.
enum class OpenOutcome {
  ok,
  notFound,
  /// Another handle denies read sharing. POSIX has no share modes, so there
  /// EBUSY, ETXTBSY and EACCES stand for it.
  sharingViolation,
  otherError,
};

/// A read-only file handle; closes on destruction.
class File {
 public:
  File() = default;
  File(File&& other) noexcept;
  File& operator=(File&& other) noexcept;
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  ~File();

  bool IsOpen() const { return handle_ != kInvalid; }
  /// Size in bytes; none when it cannot be queried.
  std::optional<uint64_t> Size() const;
  /// Last-write time in seconds since 1970-01-01 UTC.
  std::optional<int64_t> LastWriteTime() const;

  /// The raw handle (a HANDLE or a file descriptor), for the mapping code.
  intptr_t Handle() const { return handle_; }
  explicit File(intptr_t handle) : handle_(handle) {}

 private:
  static constexpr intptr_t kInvalid = -1;
  intptr_t handle_ = kInvalid;
};

/// A UTF-8 path as the UTF-16 path the file functions take. On POSIX a path
/// is bytes: a byte that is no part of valid UTF-8 becomes the lone unit
/// U+DC00 + byte, which opening turns back into that byte. Windows throws
/// std::range_error ("bad conversion") for such a path.
std::u16string PathToUtf16(std::string_view utf8Path);

/// Whether the file system takes names that differ only in letter case for
/// one file (Windows) or for two (POSIX).
bool FileNamesFoldCase();

/// Result of OpenForRead: an open file, or why there is none.
struct OpenResult {
  OpenOutcome outcome = OpenOutcome::otherError;
  File file;
};

/// Opens an existing file for reading, allowing others to read only.
OpenResult OpenForRead(const std::u16string& path);

/// The bytes of a whole file, read-only: a mapping of the file on Windows
/// (whose share modes keep it from shrinking), a copy read into memory on
/// POSIX (where a mapped file that shrinks faults its reader). Released on
/// destruction.
class MappedView {
 public:
  MappedView() = default;
  MappedView(MappedView&& other) noexcept { Take(other); }
  MappedView& operator=(MappedView&& other) noexcept {
    if (this != &other) {
      Release();
      Take(other);
    }
    return *this;
  }
  MappedView(const MappedView&) = delete;
  MappedView& operator=(const MappedView&) = delete;
  ~MappedView() { Release(); }

  const char* Data() const { return static_cast<const char*>(data_); }
  size_t Size() const { return size_; }
  bool IsMapped() const { return data_ != nullptr; }

 private:
  friend MappedView MapReadOnly(const File& file, size_t size);
  /// Gives back what the view holds: its mapping, or the memory it read into.
  void Release() noexcept;
  /// Takes over what `other` holds, leaving it empty.
  void Take(MappedView& other) noexcept {
    data_ = std::exchange(other.data_, nullptr);
    size_ = std::exchange(other.size_, 0);
    mapping_ = std::exchange(other.mapping_, -1);
  }

  void* data_ = nullptr;
  size_t size_ = 0;
  intptr_t mapping_ = -1;  // the mapping object where the system has one
};

/// The first `size` bytes of an open file (fewer when it has shrunk since);
/// an unmapped view on failure.
MappedView MapReadOnly(const File& file, size_t size);

// ---- Code pages ----------------------------------------------------------

/// Decodes bytes of a code page into UTF-16. Code page 0 is the system's ANSI
/// code page (on POSIX: the host's choice, Windows-1252 unless set).
/// Undecodable bytes become the code page's default character; throws
/// std::system_error only when the code page itself is unusable.
std::u16string AnsiToUtf16(const char* bytes, size_t size, uint32_t codePage);

// ---- Threads, GUIDs, time, environment -------------------------------------

/// Runs `body` on a new thread with the given stack size and waits for it.
/// False when the thread could not be created (body did not run).
bool RunOnNewThread(size_t stackBytes, const std::function<void()>& body);

/// The 16 bytes of a GUID (the same type as a run result's id).
using Guid = std::array<uint8_t, 16>;

/// A new random GUID: on Windows the bytes of CoCreateGuid's GUID structure
/// exactly as it returned them; elsewhere a version-4 UUID laid out the same
/// way (first three fields little-endian).
Guid NewGuid();

/// Wall-clock time in 100-ns ticks since 1970-01-01 UTC.
int64_t WallClockTicks();

/// Local time of `seconds` since 1970; none when it cannot be converted.
std::optional<std::tm> LocalTime(int64_t seconds);

/// Sets a process environment variable (runtime and process copies).
void SetEnvironment(const std::string& name, const std::string& value);

/// Reads a process environment variable.
std::optional<std::string> GetEnvironment(const std::string& name);

/// Outcome of creating one directory level.
enum class CreateDirOutcome { created, alreadyExists, failed };

/// Creates one directory (its parent must exist).
CreateDirOutcome CreateDirectoryOneLevel(const std::string& path);

// ---- Modules ---------------------------------------------------------------

/// Folder (with trailing separator) of the module holding this library's code.
std::string ModuleFolder();

/// An opened shared library.
struct Library {
  void* handle = nullptr;
  std::string error;  ///< why it could not be opened
};

/// Opens a shared library by full path.
Library OpenLibrary(const std::string& path);

/// Opens a shared library by name through the system's default search.
Library OpenLibraryByName(const std::string& name);

/// Looks a symbol up in an opened library; nullptr when absent.
void* FindSymbol(void* library, const char* name);

/// File name of a shared library called `base` (lib<base>.so, <base>.dll).
std::string SharedLibraryName(const std::string& base);

// ---- Folder chooser ----------------------------------------------------------

/// Asks the user for a folder; none when cancelled (or no chooser exists).
std::optional<std::string> ChooseFolder(const std::string& title);

// ---- Text helpers with the Windows semantics --------------------------------

/// The extension of a path: from the last "." after the last backslash and
/// the last space, or the terminating NUL when there is none. Forward slashes
/// do not separate.
const char* PathFindExtension(const char* path);

/// First occurrence of `needle` in `haystack`, ASCII case-insensitive;
/// nullptr when absent. An empty needle matches at the start.
const char* StrStrI(const char* haystack, const char* needle);

/// Byte-wise comparison with ASCII letters folded to lower case (<0, 0, >0).
int StrICmp(const char* a, const char* b);

/// Lower-cases the ASCII letters A-Z only.
std::string AsciiLower(std::string text);

}  // namespace Quillfern::ZoCodeInspections::Native::Platform
