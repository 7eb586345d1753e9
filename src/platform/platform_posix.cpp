// POSIX implementation of the platform layer.
#include <dlfcn.h>
#include <fcntl.h>
#include <iconv.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <random>
#include <stdexcept>
#include <system_error>

#include "hostlib/zoipc.h"
#include "platform/platform.h"
#include "utf/utf_conversion.h"

namespace Quillfern::ZoCodeInspections::Native::Platform {

namespace {

/// The unit that stands for a byte of a path that is no part of valid UTF-8.
constexpr char16_t kEscapedByte = 0xDC00;

bool IsEscapedByte(char16_t unit) { return unit >= kEscapedByte + 0x80 && unit <= kEscapedByte + 0xFF; }

/// Bytes of the UTF-8 sequence a lead byte announces (1 for any other byte).
size_t SequenceLength(unsigned char lead) { return lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1; }

// Paths travel as UTF-16; the file system wants bytes: UTF-8, with the
// escaped bytes of PathToUtf16 restored. Other unpaired surrogates become
// U+FFFD.
std::string PathToUtf8(const std::u16string& path) {
  std::string out;
  out.reserve(path.size());
  for (size_t i = 0; i < path.size(); ++i) {
    uint32_t cp = path[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < path.size() && path[i + 1] >= 0xDC00 && path[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (path[i + 1] - 0xDC00);
      ++i;
    } else if (IsEscapedByte(path[i])) {
      out += static_cast<char>(cp - kEscapedByte);
      continue;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = 0xFFFD;
    }
    AppendUtf8(out, cp);
  }
  return out;
}

OpenOutcome OutcomeOfErrno(int error) {
  switch (error) {
    case ENOENT:
    case ENOTDIR: return OpenOutcome::notFound;
    case EBUSY:
    case ETXTBSY:
    case EACCES: return OpenOutcome::sharingViolation;
    default: return OpenOutcome::otherError;
  }
}

std::optional<struct stat> StatOf(intptr_t fd) {
  struct stat st{};
  if (fstat(static_cast<int>(fd), &st) != 0) return std::nullopt;
  return st;
}

}  // namespace

// ---- Files -----------------------------------------------------------------

std::u16string PathToUtf16(std::string_view utf8Path) {
  try {
    return Utf8ToUtf16(utf8Path.data(), utf8Path.size());
  } catch (const std::range_error&) {
    // Not UTF-8 as a whole: sequence by sequence, escaping what is not.
  }
  std::u16string out;
  for (size_t i = 0; i < utf8Path.size();) {
    const auto lead = static_cast<unsigned char>(utf8Path[i]);
    const size_t length = SequenceLength(lead);
    if (lead < 0x80 || i + length <= utf8Path.size()) {
      try {
        out += Utf8ToUtf16(utf8Path.data() + i, length);
        i += length;
        continue;
      } catch (const std::range_error&) {
      }
    }
    out += static_cast<char16_t>(kEscapedByte + lead);
    ++i;
  }
  return out;
}

File::File(File&& other) noexcept : handle_(other.handle_) { other.handle_ = kInvalid; }

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    if (IsOpen()) close(static_cast<int>(handle_));
    handle_ = other.handle_;
    other.handle_ = kInvalid;
  }
  return *this;
}

File::~File() {
  if (IsOpen()) close(static_cast<int>(handle_));
}

std::optional<uint64_t> File::Size() const {
  auto st = StatOf(handle_);
  if (!st) return std::nullopt;
  return static_cast<uint64_t>(st->st_size);
}

std::optional<int64_t> File::LastWriteTime() const {
  auto st = StatOf(handle_);
  if (!st) return std::nullopt;
  return static_cast<int64_t>(st->st_mtim.tv_sec);
}

bool FileNamesFoldCase() { return false; }

OpenResult OpenForRead(const std::u16string& path) {
  const int fd = open(PathToUtf8(path).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return OpenResult{OutcomeOfErrno(errno), File{}};
  auto st = StatOf(fd);
  if (st && S_ISDIR(st->st_mode)) {
    close(fd);
    return OpenResult{OpenOutcome::otherError, File{}};
  }
  return OpenResult{OpenOutcome::ok, File{fd}};
}

// Here a view holds a copy read into memory: a mapping of a file that another
// process truncates faults the reader when it touches the vanished pages.

void MappedView::Release() noexcept { std::free(data_); }

MappedView MapReadOnly(const File& file, size_t size) {
  MappedView view;
  if (!file.IsOpen() || size == 0) return view;
  auto* data = static_cast<char*>(std::malloc(size));
  if (data == nullptr) return view;
  // A file that shrank since its size was taken gives what it still holds.
  size_t filled = 0;
  while (filled < size) {
    const ssize_t got =
        pread(static_cast<int>(file.Handle()), data + filled, size - filled, static_cast<off_t>(filled));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      std::free(data);
      return view;
    }
    if (got == 0) break;
    filled += static_cast<size_t>(got);
  }
  view.data_ = data;
  view.size_ = filled;
  return view;
}

// ---- Code pages ----------------------------------------------------------

namespace {

std::string IconvName(uint32_t codePage) {
  if (codePage == 65001) return "UTF-8";
  return "CP" + std::to_string(codePage);
}

// Windows decodes the five bytes that Windows-1252 leaves undefined as the
// C1 control characters of the same value. Otherwise a code page's default
// character is '?', except Shift-JIS (932), whose default is U+30FB.
char16_t DefaultCharFor(uint32_t codePage, unsigned char byte) {
  if (codePage == 1252 && byte >= 0x80 && byte <= 0x9F) return static_cast<char16_t>(byte);
  if (codePage == 932) return u'\u30FB';
  return u'?';
}

struct IconvHandle {
  iconv_t cd;
  ~IconvHandle() { iconv_close(cd); }
};

}  // namespace

std::u16string AnsiToUtf16(const char* bytes, size_t size, uint32_t codePage) {
  if (codePage == 0) codePage = zoIPC::host::AnsiCodePage();
  iconv_t cd = iconv_open("UTF-16LE", IconvName(codePage).c_str());
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    throw std::system_error(errno, std::generic_category(),
                            "code page " + std::to_string(codePage) + " is not available");
  }
  IconvHandle handle{cd};
  std::u16string out;
  out.reserve(size);
  char* in = const_cast<char*>(bytes);
  size_t inLeft = size;
  char16_t chunk[256];
  while (inLeft > 0) {
    char* outPtr = reinterpret_cast<char*>(chunk);
    size_t outLeft = sizeof(chunk);
    const size_t rc = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    const int error = errno;
    const char* written = reinterpret_cast<const char*>(chunk);
    for (const char* p = written; p + 1 < outPtr; p += 2) {
      out += static_cast<char16_t>(static_cast<unsigned char>(p[0]) | (static_cast<unsigned char>(p[1]) << 8));
    }
    if (rc != static_cast<size_t>(-1)) continue;
    if (error == E2BIG) continue;
    // An undecodable or truncated sequence: one default character per byte.
    out += DefaultCharFor(codePage, static_cast<unsigned char>(*in));
    ++in;
    --inLeft;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
  }
  return out;
}

// ---- Threads, GUIDs, time, environment -------------------------------------

Guid NewGuid() {
  thread_local std::mt19937_64 engine{std::random_device{}()};
  Guid guid;
  for (size_t i = 0; i < guid.size(); i += 8) {
    const uint64_t bits = engine();
    for (size_t j = 0; j < 8; ++j) guid[i + j] = static_cast<uint8_t>(bits >> (8 * j));
  }
  // Laid out as a GUID structure in memory: the version is the high nibble
  // of the little-endian third field, in byte 7.
  guid[7] = static_cast<uint8_t>((guid[7] & 0x0F) | 0x40);  // version 4
  guid[8] = static_cast<uint8_t>((guid[8] & 0x3F) | 0x80);  // RFC 4122 variant
  return guid;
}

int64_t WallClockTicks() {
  const auto now = std::chrono::system_clock::now().time_since_epoch();
  return std::chrono::duration_cast<std::chrono::nanoseconds>(now).count() / 100;
}

std::optional<std::tm> LocalTime(int64_t seconds) {
  const time_t t = static_cast<time_t>(seconds);
  std::tm result{};
  if (localtime_r(&t, &result) == nullptr) return std::nullopt;
  return result;
}

void SetEnvironment(const std::string& name, const std::string& value) { setenv(name.c_str(), value.c_str(), 1); }

std::optional<std::string> GetEnvironment(const std::string& name) {
  const char* value = getenv(name.c_str());
  if (value == nullptr) return std::nullopt;
  return std::string(value);
}

CreateDirOutcome CreateDirectoryOneLevel(const std::string& path) {
  if (mkdir(path.c_str(), 0777) == 0) return CreateDirOutcome::created;
  return errno == EEXIST ? CreateDirOutcome::alreadyExists : CreateDirOutcome::failed;
}

// ---- Modules ---------------------------------------------------------------

std::string ModuleFolder() {
  Dl_info info{};
  std::string file;
  if (dladdr(reinterpret_cast<void*>(&ModuleFolder), &info) != 0 && info.dli_fname != nullptr) {
    file = info.dli_fname;
  }
  char resolved[PATH_MAX];
  if (file.find('/') == std::string::npos || realpath(file.c_str(), resolved) == nullptr) {
    const ssize_t n = readlink("/proc/self/exe", resolved, sizeof(resolved) - 1);
    if (n <= 0) return std::string();
    resolved[n] = '\0';
  }
  file = resolved;
  return file.substr(0, file.rfind('/') + 1);
}

Library OpenLibrary(const std::string& path) {
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle != nullptr) return Library{handle, {}};
  const char* error = dlerror();
  return Library{nullptr, error != nullptr ? error : "unknown error"};
}

Library OpenLibraryByName(const std::string& name) { return OpenLibrary(name); }

void* FindSymbol(void* library, const char* name) { return dlsym(library, name); }

std::string SharedLibraryName(const std::string& base) { return "lib" + base + ".so"; }

// ---- Folder chooser ----------------------------------------------------------

std::optional<std::string> ChooseFolder(const std::string& title) { return zoIPC::host::ChooseFolder(title); }

}  // namespace Quillfern::ZoCodeInspections::Native::Platform
