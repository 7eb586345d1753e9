// The texts an editor has open, as it sent them: UTF-16, kept in step with
// full and incremental changes, with the conversions between LSP positions
// (0-based line, UTF-16 character) and offsets.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include <nlohmann/json.hpp>

#include "text_lines.h"

namespace zoci {

/// How the client counts characters in a line.
enum class PositionEncoding { utf16, utf8 };

struct OpenDocument {
  std::string path;  ///< the file the URI names
  int64_t version = 0;
  std::shared_ptr<const std::u16string> text;  ///< replaced, never changed in place, so runs can share it
};

class OpenDocuments {
 public:
  void Open(const std::string& uri, int64_t version, std::u16string text);
  /// Applies didChange's content changes in order; false (text unchanged, and
  /// `why` says why when given) when the document is not open or a change is malformed.
  bool Change(const std::string& uri, int64_t version, const nlohmann::json& changes,
              PositionEncoding encoding = PositionEncoding::utf16, std::string* why = nullptr);
  void Close(const std::string& uri);
  const OpenDocument* Find(const std::string& uri) const;
  const std::map<std::string, OpenDocument>& All() const { return documents_; }

 private:
  std::map<std::string, OpenDocument> documents_;  ///< by URI
};

/// The UTF-16 text of a JSON string; throws when it is no string or not valid UTF-8.
std::u16string Utf16Of(const nlohmann::json& text);

/// The offset of an LSP position in `text`; a character past its line's end
/// clamps to the end of the line, a line past the end to the end of the text.
uint32_t OffsetOf(std::u16string_view text, const nlohmann::json& position,
                  PositionEncoding encoding = PositionEncoding::utf16);

/// The LSP range of [offset, offset + length) of the text `lines` indexes.
nlohmann::json RangeOf(const LineIndex& lines, uint32_t offset, uint32_t length,
                       PositionEncoding encoding = PositionEncoding::utf16);

/// The line table of a text with the client's way of counting characters.
/// Counting UTF-8 goes on from the place asked last when the next one is
/// further along the same line, so that positions asked in text order cost
/// the length of their lines once, not once per position.
class TextPositions {
 public:
  TextPositions(const LineIndex& lines, PositionEncoding encoding) : lines_(lines), encoding_(encoding) {}
  nlohmann::json Range(uint32_t offset, uint32_t length) const;
  const LineIndex& Lines() const { return lines_; }

 private:
  /// The LSP position of `offset`.
  nlohmann::json Point(uint32_t offset) const;

  const LineIndex& lines_;
  PositionEncoding encoding_;
  mutable uint32_t line_ = 0;   ///< the line asked last (0: none)
  mutable uint32_t units_ = 0;  ///< its UTF-16 units counted so far
  mutable uint32_t bytes_ = 0;  ///< and their UTF-8 length
};

}  // namespace zoci
