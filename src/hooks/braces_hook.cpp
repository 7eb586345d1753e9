// Braces around a replacement text: a replacement that is more than a chain
// of names joined by ".", "->" and "::" gets braces, so that it keeps its
// meaning where it is put.
#include <optional>
#include <string>
#include <string_view>

#include "hooks/check_behaviours.h"

namespace Quillfern::ZoCodeInspections::Native::Behaviours {

namespace {

/// The text outside parentheses, or absent when they are unbalanced.
std::optional<std::string> TextOutsideParentheses(std::string_view text) {
  std::string outside;
  int depth = 0;
  for (const char c : text) {
    if (c == '(') {
      ++depth;
    } else if (c == ')') {
      if (--depth < 0) break;
    } else if (depth == 0) {
      outside += c;
    }
  }
  if (depth != 0) return std::nullopt;
  return outside;
}

bool IsWhiteSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

bool IsWordCharacter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

/// Whether the whole text matches (\s|\w|\.|->|:)* in the classic locale. A
/// scan instead of std::regex: the library's matcher recurses once per
/// character and would exhaust the stack on a long replacement.
bool IsNameChain(std::string_view text) {
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (IsWhiteSpace(c) || IsWordCharacter(c) || c == '.' || c == ':') continue;
    if (c == '-' && i + 1 < text.size() && text[i + 1] == '>') {
      ++i;
      continue;
    }
    return false;
  }
  return true;
}

}  // namespace

std::optional<HookArgs> ReplacementBraces(HookCall& call) {
  bool& addBraces = call.Target<bool>("AddBraces_ptr");
  const std::string& replacement = call.String("ReplacementText_str");
  if (addBraces) return std::nullopt;
  const std::optional<std::string> outside = TextOutsideParentheses(replacement);
  if (outside && !IsNameChain(*outside)) addBraces = true;
  return std::nullopt;
}

}  // namespace Quillfern::ZoCodeInspections::Native::Behaviours
