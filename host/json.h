// Just enough JSON for zoci: a writer that emits indented documents with
// correct escaping, and a reader for compile_commands.json (and for tests).
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zoci {

/// Emits one JSON document; the caller nests Begin/End calls correctly.
class JsonWriter {
 public:
  void BeginObject(std::string_view key = {});
  void EndObject();
  void BeginArray(std::string_view key = {});
  void EndArray();
  void String(std::string_view key, std::string_view value);
  void Number(std::string_view key, int64_t value);
  void Bool(std::string_view key, bool value);
  /// An array element (no key).
  void StringElement(std::string_view value);
  const std::string& Text() const { return out_; }

 private:
  void Open(std::string_view key, char bracket);
  void Close(char bracket);
  void Key(std::string_view key);
  std::string out_;
  std::vector<bool> hasItems_;
};

/// JSON string literal (with quotes) of UTF-8 `text`.
std::string JsonQuote(std::string_view text);

/// A parsed JSON value.
struct JsonValue {
  enum class Kind { null, boolean, number, string, array, object } kind = Kind::null;
  bool boolean = false;
  double number = 0;
  std::string string;
  std::vector<JsonValue> array;
  std::map<std::string, JsonValue> object;

  /// Member `key` of an object, or null.
  const JsonValue* Find(const std::string& key) const;
};

/// Parses a whole document; on failure `error` says where.
std::optional<JsonValue> ParseJson(std::string_view text, std::string& error);

}  // namespace zoci
