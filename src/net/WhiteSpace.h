#pragma once
// White space as the edit controls and the server files have it: blanks, tabs and line ends.

#include <string_view>

constexpr bool IsWhiteSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

constexpr std::string_view TrimTrailingWhiteSpace(std::string_view text) {
  while (!text.empty() && IsWhiteSpace(text.back())) text.remove_suffix(1);
  return text;
}

constexpr std::string_view TrimWhiteSpace(std::string_view text) {
  text = TrimTrailingWhiteSpace(text);
  while (!text.empty() && IsWhiteSpace(text.front())) text.remove_prefix(1);
  return text;
}
