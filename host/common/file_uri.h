// "file:" URIs, as language-server clients send them and SARIF logs name files,
// and the paths they name.
// Both path styles are handled on every host, so the Windows forms (drive
// letters, UNC shares, backslashes) can be checked anywhere.
#pragma once

#include <optional>
#include <string>

namespace zoci {

enum class PathStyle { posix, windows };

#if defined(_WIN32)
inline constexpr PathStyle kNativePathStyle = PathStyle::windows;
#else
inline constexpr PathStyle kNativePathStyle = PathStyle::posix;
#endif

/// The path of a "file:" URI, percent-escapes decoded. Under the Windows style
/// "file:///c%3A/a/b" is "C:\a\b" and "file://server/share/x" is
/// "\\server\share\x". None for other schemes, and for a host other than
/// "localhost" under the POSIX style.
std::optional<std::string> PathOfUri(const std::string& uri, PathStyle style = kNativePathStyle);

/// `path` made absolute against the working folder and lexically normal (no
/// "." or ".." parts); links are not resolved.
std::string AbsolutePath(const std::string& path);

/// The "file:" URI of an absolute path (a drive-letter or UNC path under the Windows style).
std::string UriOfPath(const std::string& path, PathStyle style = kNativePathStyle);

}  // namespace zoci
