// "file:" URIs and paths (see file_uri.h).
#include "file_uri.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string_view>

namespace zoci {
namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string PercentDecoded(std::string_view text) {
  std::string decoded;
  for (size_t i = 0; i < text.size(); ++i) {
    const bool escape =
        text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 && HexValue(text[i + 2]) >= 0;
    if (!escape) {
      decoded += text[i];
      continue;
    }
    decoded += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
    i += 2;
  }
  return decoded;
}

/// True when `path` starts with a drive such as "C:" followed by a separator or nothing.
bool StartsWithDrive(std::string_view path) {
  return path.size() >= 2 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':' &&
         (path.size() == 2 || path[2] == '/' || path[2] == '\\');
}

/// "/c:/a/b" (a URI's path) as "C:\a\b"; a UNC share when there is a host.
std::string WindowsPath(const std::string& host, std::string path) {
  if (path.size() > 1 && path[0] == '/' && StartsWithDrive(std::string_view(path).substr(1))) {
    path.erase(0, 1);
    path[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(path[0])));
  } else if (!host.empty()) {
    path = "//" + host + path;
  }
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

}  // namespace

std::optional<std::string> PathOfUri(const std::string& uri, PathStyle style) {
  const std::string_view scheme = "file://";
  if (uri.size() < scheme.size() || !std::equal(scheme.begin(), scheme.end(), uri.begin(), [](char a, char b) {
        return a == std::tolower(static_cast<unsigned char>(b));
      })) {
    return std::nullopt;
  }
  const size_t pathStart = std::min(uri.find('/', scheme.size()), uri.size());
  std::string host = PercentDecoded(std::string_view(uri).substr(scheme.size(), pathStart - scheme.size()));
  if (host == "localhost") host.clear();
  std::string path = PercentDecoded(std::string_view(uri).substr(pathStart));
  if (style == PathStyle::windows) return WindowsPath(host, path);
  if (!host.empty()) return std::nullopt;
  return path;
}

std::string UriOfPath(const std::string& path, PathStyle style) {
  static const char* const kHex = "0123456789ABCDEF";
  std::string uriPath = path;
  if (style == PathStyle::windows) {
    std::replace(uriPath.begin(), uriPath.end(), '\\', '/');
    if (StartsWithDrive(uriPath)) uriPath = "/" + uriPath;
  }
  std::string uri = "file://";
  if (style == PathStyle::windows && uriPath.starts_with("//")) uriPath.erase(0, 2);  // a UNC share's host
  for (size_t i = 0; i < uriPath.size(); ++i) {
    const char c = uriPath[i];
    const auto byte = static_cast<unsigned char>(c);
    const bool driveColon = style == PathStyle::windows && c == ':' && i == 2 && uriPath[0] == '/';
    if (std::isalnum(byte) || driveColon || std::string_view("/-._~").find(c) != std::string_view::npos) {
      uri += c;
    } else {
      uri += '%';
      uri += kHex[byte >> 4];
      uri += kHex[byte & 15];
    }
  }
  return uri;
}

std::string AbsolutePath(const std::string& path) {
  std::error_code ignored;
  return std::filesystem::absolute(path, ignored).lexically_normal().string();
}

}  // namespace zoci
