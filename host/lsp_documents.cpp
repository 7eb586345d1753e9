// Open documents and LSP positions (see lsp_documents.h).
#include "lsp_documents.h"

#include <algorithm>
#include <stdexcept>

#include "file_uri.h"
#include "text_codec.h"

namespace zoci {
namespace {

/// One content change applied to `text`.
std::u16string Applied(const std::u16string& text, const nlohmann::json& change, PositionEncoding encoding) {
  if (!change.contains("range")) return Utf16Of(change.at("text"));
  const nlohmann::json& range = change.at("range");
  const uint32_t start = OffsetOf(text, range.at("start"), encoding);
  const uint32_t end = OffsetOf(text, range.at("end"), encoding);
  if (end < start) throw std::invalid_argument("the range ends before it starts");
  std::u16string result = text.substr(0, start);
  result += Utf16Of(change.at("text"));
  result += text.substr(end);
  return result;
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
  documents_[uri] = OpenDocument{PathOfUri(uri).value_or(uri), version,
                                 std::make_shared<const std::u16string>(std::move(text))};
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
  std::u16string text = *document->second.text;
  try {
    for (const nlohmann::json& change : changes) text = Applied(text, change, encoding);
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
  const LineIndex lines(text);
  const auto line = position.at("line").get<uint32_t>() + 1;
  const auto character = position.at("character").get<uint32_t>();
  if (line > lines.LineCount()) return static_cast<uint32_t>(text.size());
  const std::u16string_view lineText = lines.LineText(line);
  const auto length = static_cast<uint32_t>(lineText.size());
  const uint32_t units = encoding == PositionEncoding::utf8 ? Utf16Prefix(lineText, character) : std::min(character, length);
  return lines.LineStart(line) + units;
}

nlohmann::json RangeOf(const LineIndex& lines, uint32_t offset, uint32_t length, PositionEncoding encoding) {
  const auto point = [&lines, encoding](uint32_t at) {
    const Position position = lines.PositionOf(at);
    uint32_t character = position.column - 1;
    if (encoding == PositionEncoding::utf8) character = Utf8Length(lines.LineText(position.line).substr(0, character));
    return nlohmann::json{{"line", position.line - 1}, {"character", character}};
  };
  return {{"start", point(offset)}, {"end", point(offset + length)}};
}

}  // namespace zoci
