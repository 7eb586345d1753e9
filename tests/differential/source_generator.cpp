#include "source_generator.h"

#include <vector>

namespace difftest {
namespace {

using Words = std::vector<std::string>;

/// Words that code page 1252 can write: Latin-1 and its 0x80-0x9F extras.
const Words kAnsiWords = {"Größe",   "Straße",  "café",       "naïve",    "Œuvre", "façade", "€ 5,–",
                          "“Zitat”", "‘quote’", "…",          "™",        "Žižek", "Ÿ",      "½ ¼ ¾",
                          "±0,5°",   "µs",      "— dash",     "• item",   "†‡",    "‰",      "‹›«»",
                          "ƒ(x)",    "ˆ˜",      "Ærøskøbing", "Ångström", "¿Qué?", "¡Olé!",  "©®",
                          "×÷",      "ÿ",       "\u00A0nbsp", "šŠ",       "Ñandú", "Çà"};
/// Words from other scripts, including characters outside the BMP (in
/// comments only: text converted from UTF-16 carries them as two three-byte
/// halves, which clang takes in comments but not in code or literals).
const Words kWideWords = {"Привет мир", "Ελληνικά", "שלום",        "مرحبا",    "नमस्ते",     "日本語テキスト",
                          "中文字符",   "한국어",   "ไทย",         "😀",       "🎉🚀",     "𝄞 music",
                          "𝕏𝕐",         "𠀀𠀁",     "e\u0301",     "a\u200Db", "\uFEFFzw", "ℤ ∑ ∫",
                          "Ǆ",          "ﬁ",        "👩‍💻", "🇩🇪",       "𐐷",        "ꙮ"};
const Words kAsciiWords = {"size", "total", "value", "the", "of", "item", "price", "x", "TODO", "note"};
/// Words from other scripts within the BMP, for string literals.
const Words kWideBmpWords = {"Привет мир", "Ελληνικά", "שלום", "مرحبا",   "नमस्ते",     "日本語テキスト",
                             "中文字符",   "한국어",   "ไทย",  "e\u0301", "a\u200Db", "ℤ ∑ ∫",
                             "Ǆ",          "ﬁ",        "ꙮ",    "€ ‰"};
/// Identifier stems: plain, code page 1252 letters, other scripts of the BMP.
const Words kAnsiNames = {"size", "größe", "straße", "café", "naïve", "œuvre", "ærø", "Ñame"};
const Words kWideNames = {"размер", "大小", "字", "δέλτα", "名前", "ｘ", "한"};

class Generator {
 public:
  Generator(Choices& choices, bool ansiOnly) : c_(choices), ansiOnly_(ansiOnly) {}

  std::string Source() {
    eolStyle_ = c_.Below(3);
    indent_ = std::vector<std::string>{"\t", "  ", "    ", "\t "}[c_.Below(4)];
    hasNullMacro_ = c_.Below(2) == 1;
    if (hasNullMacro_) Line("#define NULL 0");
    const uint32_t units = 1 + c_.Below(12);
    for (unit_ = 0; unit_ < units; ++unit_) Unit();
    return out_;
  }

 private:
  const std::string& Pick(const Words& words) { return words[c_.Below(static_cast<uint32_t>(words.size()))]; }

  /// Text for comments (`inComment`) and string literals: never a quote,
  /// backslash, '*' or '/'.
  std::string Text(uint32_t maxWords, bool inComment = false) {
    std::string text;
    const uint32_t count = 1 + c_.Below(maxWords);
    for (uint32_t i = 0; i < count; ++i) {
      if (i > 0) text += c_.Below(5) == 0 ? "\t" : " ";
      const uint32_t kind = c_.Below(ansiOnly_ ? 2 : 3);
      text += Pick(kind == 0 ? kAsciiWords : kind == 1 ? kAnsiWords : inComment ? kWideWords : kWideBmpWords);
    }
    return text;
  }
  /// Comment text, which may also hold a NUL byte.
  std::string CommentText(uint32_t maxWords) {
    std::string text = Text(maxWords, true);
    if (c_.Below(8) == 0) text += std::string("\0nul", 4);
    return text;
  }
  std::string Name(const char* plain) {
    const uint32_t kind = c_.Below(ansiOnly_ ? 2 : 3);
    const std::string stem = kind == 0 ? plain : Pick(kind == 1 ? kAnsiNames : kWideNames);
    return kind == 0 ? stem + N() : stem + "_" + plain + N();
  }
  std::string N() const { return std::to_string(unit_); }
  std::string Gap() { return c_.Below(4) == 0 ? "\t" : " "; }
  std::string TrailingComment() {
    const uint32_t kind = c_.Below(4);
    return kind == 0 ? " // " + CommentText(4) : kind == 1 ? " /* " + CommentText(3) + " */" : "";
  }
  std::string LeadingText() {
    switch (c_.Below(5)) {
      case 0: return "const char* s" + N() + " = \"" + Text(4) + "\"; ";
      case 1: return "/* " + CommentText(3) + " */" + Gap();
      case 2: return "const char* long" + N() + " = \"" + Text(400) + "\"; ";
      default: return "";
    }
  }

  void Line(const std::string& text) {
    const uint32_t style = eolStyle_ == 2 ? c_.Below(3) : eolStyle_;
    out_ += text + (style == 0 ? "\n" : style == 1 ? "\r\n" : "\r");
  }

  void Unit() {
    using Maker = void (Generator::*)();
    static const std::vector<Maker> makers = {&Generator::NullPointers, &Generator::Overrides, &Generator::Braces,
                                              &Generator::MemberInits,  &Generator::Typedefs,  &Generator::ElseReturn,
                                              &Generator::Comments,     &Generator::LongLine,  &Generator::Strings};
    (this->*makers[c_.Below(static_cast<uint32_t>(makers.size()))])();
  }

  void NullPointers() {
    const std::string zero = hasNullMacro_ && c_.Below(3) == 0 ? "NULL" : "0";
    Line(LeadingText() + "int*" + Gap() + Name("p") + Gap() + "=" + Gap() + zero + ";" + TrailingComment());
  }
  void Overrides() {
    Line("struct Base" + N() + " {" + TrailingComment());
    Line(indent_ + "virtual ~Base" + N() + "() {}");
    Line(indent_ + "virtual int Get(int v) const { return v; }" + TrailingComment());
    Line("};");
    Line(LeadingText() + "struct Derived" + N() + " : Base" + N() + " {" + Gap() +
         "virtual int Get(int v) const { return v + 1; }" + Gap() + "};" + TrailingComment());
  }
  void Braces() {
    Line("int Loop" + N() + "(int n) {" + TrailingComment());
    Line(indent_ + "int s = 0;" + TrailingComment());
    Line(indent_ + "for (int i = 0; i < n; ++i)" + TrailingComment());
    Line(indent_ + indent_ + "s += i;" + TrailingComment());
    Line(indent_ + "while (s > 100) s -= 7;" + TrailingComment());
    Line(indent_ + "if (s > 10)" + Gap() + "s = 10;" + TrailingComment());
    Line(indent_ + "return s;");
    Line("}");
  }
  void MemberInits() {
    const std::string a = Name("a"), b = Name("b"), cc = Name("c");
    Line("struct Member" + N() + " {" + TrailingComment());
    const std::string third = c_.Below(2) ? ", " + cc + "(3)" : "";
    Line(indent_ + LeadingText() + "Member" + N() + "() : " + a + "(1)," + Gap() + b + "(2)" + third + " {}" +
         TrailingComment());
    Line(indent_ + "int " + a + "; int " + b + ";" + Gap() + "int " + cc + ";" + TrailingComment());
    Line("};");
  }
  void Typedefs() {
    Line(LeadingText() + "typedef unsigned long" + Gap() + Name("Size") + ";" + TrailingComment());
    if (c_.Below(2)) Line("typedef int (*" + Name("Callback") + ")(int);" + TrailingComment());
  }
  void ElseReturn() {
    Line("int Sign" + N() + "(int x) {" + TrailingComment());
    // The fix copies the else branch, comment and all.
    const std::string inElse = c_.Below(2) ? "/* " + CommentText(2) + " */ " : "";
    Line(indent_ +
         (c_.Below(2) ? "if (x > 0) { return 1; } else { " + inElse + "return -1; }"
                      : "if (x > 0) return 1; else " + inElse + "return -1;") +
         TrailingComment());
    Line("}");
  }
  void Comments() {
    if (c_.Below(2)) return Line("// " + CommentText(8));
    Line("/* " + CommentText(6));
    Line(indent_ + CommentText(6) + " */");
  }
  void LongLine() {
    std::string comment = "/* ";
    const uint32_t parts = 20 + c_.Below(200);
    for (uint32_t i = 0; i < parts; ++i) comment += Text(8) + " ";
    Line(comment + "*/ int* " + Name("far") + " = 0;" + TrailingComment());
  }
  void Strings() {
    Line("const char* const kText" + N() + "[] = {\"" + Text(5) + "\"," + Gap() + "\"" + Text(5) + "\"};" +
         TrailingComment());
  }

  Choices& c_;
  bool ansiOnly_;
  uint32_t eolStyle_ = 0;
  bool hasNullMacro_ = false;
  std::string indent_;
  uint32_t unit_ = 0;
  std::string out_;
};

}  // namespace

uint32_t ByteChoices::Below(uint32_t count) {
  uint32_t value = 0;
  for (uint32_t range = 1; range < count && next_ < size_; range <<= 8) value = value << 8 | data_[next_++];
  return value % count;
}

const char* const kGeneratedChecks =
    "-*,modernize-use-nullptr,modernize-use-override,readability-braces-around-statements,"
    "modernize-use-default-member-init,modernize-use-using,readability-else-after-return";

std::string GenerateSource(Choices& choices, bool ansiOnly) { return Generator(choices, ansiOnly).Source(); }

}  // namespace difftest
