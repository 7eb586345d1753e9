// Open documents and LSP positions (see lsp_documents.h).
#include "lsp_documents.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>

#include "text_codec.h"

namespace zoci {
namespace {

/// One content change applied to `text`.
std::u16string Applied(const std::u16string& text, const nlohmann::json& change) {
  if (!change.contains("range")) return Utf16Of(change.at("text"));
  const nlohmann::json& range = change.at("range");
  const uint32_t start = OffsetOf(text, range.at("start"));
  const uint32_t end = OffsetOf(text, range.at("end"));
  if (end < start) throw std::invalid_argument("the range ends before it starts");
  std::u16string result = text.substr(0, start);
  result += Utf16Of(change.at("text"));
  result += text.substr(end);
  return result;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::u16string Utf16Of(const nlohmann::json& text) {
  std::u16string converted;
  if (!FromUtf8(text.get<std::string>(), converted)) throw std::invalid_argument("text is not valid UTF-8");
  return converted;
}

void OpenDocuments::Open(const std::string& uri, int64_t version, std::u16string text) {
  documents_[uri] = OpenDocument{PathOfUri(uri).value_or(uri), version,
                                 std::make_shared<const std::u16string>(std::move(text))};
}

bool OpenDocuments::Change(const std::string& uri, int64_t version, const nlohmann::json& changes) {
  const auto document = documents_.find(uri);
  if (document == documents_.end() || !changes.is_array()) return false;
  std::u16string text = *document->second.text;
  try {
    for (const nlohmann::json& change : changes) text = Applied(text, change);
  } catch (const std::exception&) {
    return false;
  }
  document->second.version = version;
  document->second.text = std::make_shared<const std::u16string>(std::move(text));
  return true;
}

void OpenDocuments::Close(const std::string& uri) { documents_.erase(uri); }

const OpenDocument* OpenDocuments::Find(const std::string& uri) const {
  const auto document = documents_.find(uri);
  return document == documents_.end() ? nullptr : &document->second;
}

uint32_t OffsetOf(std::u16string_view text, const nlohmann::json& position) {
  const LineIndex lines(text);
  const auto line = position.at("line").get<uint32_t>() + 1;
  const auto character = position.at("character").get<uint32_t>();
  if (line > lines.LineCount()) return static_cast<uint32_t>(text.size());
  const auto length = static_cast<uint32_t>(lines.LineText(line).size());
  return lines.LineStart(line) + std::min(character, length);
}

nlohmann::json RangeOf(const LineIndex& lines, uint32_t offset, uint32_t length) {
  const auto point = [&lines](uint32_t at) {
    const Position position = lines.PositionOf(at);
    return nlohmann::json{{"line", position.line - 1}, {"character", position.column - 1}};
  };
  return {{"start", point(offset)}, {"end", point(offset + length)}};
}

std::optional<std::string> PathOfUri(const std::string& uri) {
  const std::string scheme = "file://";
  if (uri.compare(0, scheme.size(), scheme) != 0) return std::nullopt;
  std::string path;
  for (size_t i = scheme.size(); i < uri.size(); ++i) {
    const bool escape = uri[i] == '%' && i + 2 < uri.size() && HexValue(uri[i + 1]) >= 0 && HexValue(uri[i + 2]) >= 0;
    if (!escape) {
      path += uri[i];
      continue;
    }
    path += static_cast<char>(HexValue(uri[i + 1]) * 16 + HexValue(uri[i + 2]));
    i += 2;
  }
  return path;
}

std::string UriOfPath(const std::string& path) {
  static const char* const kHex = "0123456789ABCDEF";
  std::string uri = "file://";
  for (const char c : path) {
    const auto byte = static_cast<unsigned char>(c);
    if (std::isalnum(byte) || std::string_view("/-._~").find(c) != std::string_view::npos) {
      uri += c;
    } else {
      uri += '%';
      uri += kHex[byte >> 4];
      uri += kHex[byte & 15];
    }
  }
  return uri;
}

}  // namespace zoci
