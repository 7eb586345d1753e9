// Content-Length framing (see lsp_framing.h). Header names are matched
// without regard to case; headers other than Content-Length are ignored.
#include "lsp_framing.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace zoci {
namespace {

/// Bodies above this size are refused rather than allocated.
constexpr size_t kMaxBody = 256u * 1024 * 1024;

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

/// The length a "Content-Length: N" line gives; false when it is not one or N is unusable.
bool ContentLength(const std::string& line, size_t& length, bool& isLengthHeader) {
  const size_t colon = line.find(':');
  isLengthHeader = colon != std::string::npos && Lower(line.substr(0, colon)) == "content-length";
  if (!isLengthHeader) return false;
  size_t begin = colon + 1;
  while (begin < line.size() && line[begin] == ' ') ++begin;
  const char* first = line.data() + begin;
  const char* last = line.data() + line.size();
  const auto [end, ec] = std::from_chars(first, last, length);
  return ec == std::errc() && end == last && end != first;
}

}  // namespace

FrameStatus ReadFrame(std::istream& in, std::string& body, std::string& error) {
  std::string line;
  bool sawHeader = false, haveLength = false, badLength = false;
  size_t length = 0;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) {
      if (sawHeader) break;
      continue;  // blank lines between frames
    }
    sawHeader = true;
    bool isLengthHeader = false;
    if (ContentLength(line, length, isLengthHeader)) haveLength = true;
    else if (isLengthHeader) badLength = true;
  }
  if (!sawHeader) return FrameStatus::end;
  if (!in) return FrameStatus::end;
  if (!haveLength || badLength || length > kMaxBody) {
    error = haveLength && !badLength ? "the message is too long" : "the message has no usable Content-Length header";
    return FrameStatus::malformed;
  }
  body.assign(length, '\0');
  in.read(body.data(), static_cast<std::streamsize>(length));
  if (static_cast<size_t>(in.gcount()) != length) return FrameStatus::end;
  return FrameStatus::message;
}

std::string Frame(const std::string& body) {
  return "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

}  // namespace zoci
