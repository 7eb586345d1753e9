// Open documents and LSP positions (see lsp_documents.h).
#include "lsp_documents.h"

#include <algorithm>
#include <optional>
#include <stdexcept>

#include "file_uri.h"
#include "text_codec.h"

namespace zoci {
namespace {

/// Applies one content change to `text` in place.
void Apply(std::u16string& text, const nlohmann::json& change, PositionEncoding encoding) {
  if (!change.contains("range")) {
    text = Utf16Of(change.at("text"));
    return;
  }
  const nlohmann::json& range = change.at("range");
  const uint32_t start = OffsetOf(text, range.at("start"), encoding);
  const uint32_t end = OffsetOf(text, range.at("end"), encoding);
  if (end < start) throw std::invalid_argument("the range ends before it starts");
  text.replace(start, end - start, Utf16Of(change.at("text")));
}

/// Where the line break at `i` ends, when there is one ("\n", "\r\n" or a lone "\r").
std::optional<size_t> BreakEnd(std::u16string_view text, size_t i) {
  if (text[i] == u'\n') return i + 1;
  if (text[i] != u'\r') return std::nullopt;
  return i + 1 < text.size() && text[i + 1] == u'\n' ? i + 2 : i + 1;
}

/// The 0-based `line` of `text` (without its line break), found by walking
/// only up to it; none past the last line.
std::optional<std::u16string_view> NthLine(std::u16string_view text, uint32_t line, size_t& start) {
  start = 0;
  for (uint32_t passed = 0; passed < line; ++passed) {
    size_t i = start;
    while (i < text.size() && !BreakEnd(text, i)) ++i;
    if (i == text.size()) return std::nullopt;
    start = *BreakEnd(text, i);
  }
  size_t end = start;
  while (end < text.size() && text[end] != u'\n' && text[end] != u'\r') ++end;
  return text.substr(start, end - start);
}

/// The UTF-8 length of the character starting at `line[i]`, and its UTF-16 length in `units`.
uint32_t Utf8Width(std::u16string_view line, size_t i, size_t& units) {
  const char16_t unit = line[i];
  units = 1;
  if (unit < 0x80) return 1;
  if (unit < 0x800) return 2;
  const bool pair = (unit & 0xFC00) == 0xD800 && i + 1 < line.size() && (line[i + 1] & 0xFC00) == 0xDC00;
  if (pair) units = 2;
  return pair ? 4 : 3;
}

/// The UTF-16 length of the prefix of `line` that is `bytes` long in UTF-8
/// (a character that does not fit whole is left out).
uint32_t Utf16Prefix(std::u16string_view line, uint32_t bytes) {
  size_t i = 0, units = 1;
  uint32_t counted = 0;
  while (i < line.size()) {
    const uint32_t width = Utf8Width(line, i, units);
    if (counted + width > bytes) break;
    counted += width;
    i += units;
  }
  return static_cast<uint32_t>(i);
}

bool IsHighSurrogate(char16_t unit) { return (unit & 0xFC00) == 0xD800; }

/// The UTF-8 length of `prefix`.
uint32_t Utf8Length(std::u16string_view prefix) {
  uint32_t bytes = 0;
  size_t units = 1;
  for (size_t i = 0; i < prefix.size(); i += units) bytes += Utf8Width(prefix, i, units);
  return bytes;
}

}  // namespace

std::u16string Utf16Of(const nlohmann::json& text) {
  std::u16string converted;
  if (!FromUtf8(text.get<std::string>(), converted)) throw std::invalid_argument("text is not valid UTF-8");
  return converted;
}

void OpenDocuments::Open(const std::string& uri, int64_t version, std::u16string text) {
  documents_[uri] =
      OpenDocument{PathOfUri(uri).value_or(uri), version, std::make_shared<const std::u16string>(std::move(text))};
}

bool OpenDocuments::Change(const std::string& uri, int64_t version, const nlohmann::json& changes,
                           PositionEncoding encoding, std::string* why) {
  const auto refuse = [why](const std::string& reason) {
    if (why) *why = reason;
    return false;
  };
  const auto document = documents_.find(uri);
  if (document == documents_.end()) return refuse("the document is not open");
  if (!changes.is_array()) return refuse("contentChanges is not an array");
  std::u16string text = *document->second.text;  // one copy per message: runs may share the old text
  try {
    for (const nlohmann::json& change : changes) Apply(text, change, encoding);
  } catch (const std::exception& failure) {
    return refuse(failure.what());
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

uint32_t OffsetOf(std::u16string_view text, const nlohmann::json& position, PositionEncoding encoding) {
  const auto line = position.at("line").get<uint32_t>();
  const auto character = position.at("character").get<uint32_t>();
  size_t start = 0;
  const std::optional<std::u16string_view> lineText = NthLine(text, line, start);
  if (!lineText) return static_cast<uint32_t>(text.size());
  const auto length = static_cast<uint32_t>(lineText->size());
  const uint32_t units =
      encoding == PositionEncoding::utf8 ? Utf16Prefix(*lineText, character) : std::min(character, length);
  return static_cast<uint32_t>(start) + units;
}

nlohmann::json RangeOf(const LineIndex& lines, uint32_t offset, uint32_t length, PositionEncoding encoding) {
  return TextPositions(lines, encoding).Range(offset, length);
}

nlohmann::json TextPositions::Range(uint32_t offset, uint32_t length) const {
  return {{"start", Point(offset)}, {"end", Point(offset + length)}};
}

nlohmann::json TextPositions::Point(uint32_t offset) const {
  const Position position = lines_.PositionOf(offset);
  if (encoding_ == PositionEncoding::utf16)
    return nlohmann::json{{"line", position.line - 1}, {"character", position.column - 1}};
  const std::u16string_view line = lines_.LineText(position.line);
  const uint32_t units = std::min<uint32_t>(position.column - 1, static_cast<uint32_t>(line.size()));
  const bool goesOn = line_ == position.line && units_ <= units && (units_ == 0 || !IsHighSurrogate(line[units_ - 1]));
  if (!goesOn) {
    line_ = position.line;
    units_ = 0;
    bytes_ = 0;
  }
  bytes_ += Utf8Length(line.substr(units_, units - units_));
  units_ = units;
  return nlohmann::json{{"line", position.line - 1}, {"character", bytes_}};
}

}  // namespace zoci
