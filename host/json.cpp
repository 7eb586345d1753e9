// JSON writing and reading (see json.h).
#include "json.h"

#include <cstdio>
#include <cstdlib>

#include "text_codec.h"

namespace zoci {

std::string JsonQuote(std::string_view text) {
  std::string out = "\"";
  for (char c : text) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
          out += escaped;
        } else {
          out += c;
        }
    }
  }
  return out + "\"";
}

void JsonWriter::Key(std::string_view key) {
  if (!hasItems_.empty()) {
    if (hasItems_.back()) out_ += ",";
    hasItems_.back() = true;
    out_ += "\n" + std::string(hasItems_.size() * 2, ' ');
  }
  if (!key.empty()) out_ += JsonQuote(key) + ": ";
}

void JsonWriter::Open(std::string_view key, char bracket) {
  Key(key);
  out_ += bracket;
  hasItems_.push_back(false);
}

void JsonWriter::Close(char bracket) {
  const bool hadItems = hasItems_.back();
  hasItems_.pop_back();
  if (hadItems) out_ += "\n" + std::string(hasItems_.size() * 2, ' ');
  out_ += bracket;
  if (hasItems_.empty()) out_ += "\n";
}

void JsonWriter::BeginObject(std::string_view key) { Open(key, '{'); }
void JsonWriter::EndObject() { Close('}'); }
void JsonWriter::BeginArray(std::string_view key) { Open(key, '['); }
void JsonWriter::EndArray() { Close(']'); }
void JsonWriter::String(std::string_view key, std::string_view value) {
  Key(key);
  out_ += JsonQuote(value);
}
void JsonWriter::Number(std::string_view key, int64_t value) {
  Key(key);
  out_ += std::to_string(value);
}
void JsonWriter::Bool(std::string_view key, bool value) {
  Key(key);
  out_ += value ? "true" : "false";
}
void JsonWriter::StringElement(std::string_view value) { String({}, value); }

const JsonValue* JsonValue::Find(const std::string& key) const {
  const auto found = object.find(key);
  return found == object.end() ? nullptr : &found->second;
}

namespace {

/// Recursive-descent reader over one document.
class JsonReader {
 public:
  explicit JsonReader(std::string_view text) : text_(text) {}

  std::optional<JsonValue> Document(std::string& error) {
    JsonValue value;
    const bool ok = Value(value, 0) && (SkipSpace(), pos_ == text_.size());
    if (ok) return value;
    error = "invalid JSON near offset " + std::to_string(pos_);
    return std::nullopt;
  }

 private:
  void SkipSpace() {
    while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\n' || text_[pos_] == '\r' || text_[pos_] == '\t')) ++pos_;
  }
  bool Literal(std::string_view word) {
    if (text_.substr(pos_, word.size()) != word) return false;
    pos_ += word.size();
    return true;
  }
  bool Value(JsonValue& value, int depth) {
    SkipSpace();
    if (pos_ >= text_.size() || depth > 200) return false;
    switch (text_[pos_]) {
      case '{': return Object(value, depth);
      case '[': return Array(value, depth);
      case '"': value.kind = JsonValue::Kind::string; return String(value.string);
      case 't': value.kind = JsonValue::Kind::boolean; value.boolean = true; return Literal("true");
      case 'f': value.kind = JsonValue::Kind::boolean; return Literal("false");
      case 'n': return Literal("null");
      default: return Number(value);
    }
  }
  bool Number(JsonValue& value) {
    const std::string rest(text_.substr(pos_, 64));
    char* end = nullptr;
    value.number = std::strtod(rest.c_str(), &end);
    if (end == rest.c_str()) return false;
    value.kind = JsonValue::Kind::number;
    pos_ += static_cast<size_t>(end - rest.c_str());
    return true;
  }
  bool Hex4(uint32_t& unit) {
    if (pos_ + 4 > text_.size()) return false;
    const std::string digits(text_.substr(pos_, 4));
    char* end = nullptr;
    unit = static_cast<uint32_t>(std::strtoul(digits.c_str(), &end, 16));
    pos_ += 4;
    return end == digits.c_str() + 4;
  }
  bool Escape(std::u16string& units, std::string& out) {
    const char c = text_[pos_++];
    static constexpr std::string_view from = "\"\\/bfnrt", to = "\"\\/\b\f\n\r\t";
    if (const size_t k = from.find(c); k != std::string_view::npos) {
      out += to[k];
      return true;
    }
    uint32_t unit = 0;
    if (c != 'u' || !Hex4(unit)) return false;
    units.push_back(static_cast<char16_t>(unit));
    return true;
  }
  bool String(std::string& out) {
    ++pos_;
    std::u16string units;  // pending \u escapes, joined so surrogate pairs survive
    while (pos_ < text_.size() && text_[pos_] != '"') {
      if (text_[pos_] != '\\') {
        out += ToUtf8(units), units.clear();
        out += text_[pos_++];
        continue;
      }
      ++pos_;
      if (pos_ >= text_.size()) return false;
      if (text_[pos_] != 'u') out += ToUtf8(units), units.clear();
      if (!Escape(units, out)) return false;
    }
    out += ToUtf8(units);
    return pos_++ < text_.size();
  }
  bool Array(JsonValue& value, int depth) {
    value.kind = JsonValue::Kind::array;
    ++pos_;
    SkipSpace();
    if (pos_ < text_.size() && text_[pos_] == ']') return ++pos_, true;
    while (true) {
      value.array.emplace_back();
      if (!Value(value.array.back(), depth + 1)) return false;
      SkipSpace();
      if (pos_ < text_.size() && text_[pos_] == ',') { ++pos_; continue; }
      return pos_ < text_.size() && text_[pos_++] == ']';
    }
  }
  bool Object(JsonValue& value, int depth) {
    value.kind = JsonValue::Kind::object;
    ++pos_;
    SkipSpace();
    if (pos_ < text_.size() && text_[pos_] == '}') return ++pos_, true;
    while (true) {
      SkipSpace();
      std::string key;
      if (pos_ >= text_.size() || text_[pos_] != '"' || !String(key)) return false;
      SkipSpace();
      if (pos_ >= text_.size() || text_[pos_++] != ':') return false;
      if (!Value(value.object[key], depth + 1)) return false;
      SkipSpace();
      if (pos_ < text_.size() && text_[pos_] == ',') { ++pos_; continue; }
      return pos_ < text_.size() && text_[pos_++] == '}';
    }
  }

  std::string_view text_;
  size_t pos_ = 0;
};

}  // namespace

std::optional<JsonValue> ParseJson(std::string_view text, std::string& error) {
  return JsonReader(text).Document(error);
}

}  // namespace zoci
