#include "base/CodePage.h"

std::string ToSystemCodePageCut(std::string_view utf8, std::size_t maxBytes) {
  std::string whole = ToSystemCodePage(utf8);
  if (whole.size() <= maxBytes) return whole;
  // Convert character by character so that a double-byte character is never cut in half.
  std::string out;
  std::size_t i = 0;
  while (i < utf8.size()) {
    std::size_t length = 1;
    unsigned char lead = static_cast<unsigned char>(utf8[i]);
    if (lead >= 0xF0) {
      length = 4;
    } else if (lead >= 0xE0) {
      length = 3;
    } else if (lead >= 0xC0) {
      length = 2;
    }
    std::string piece = ToSystemCodePage(utf8.substr(i, length));
    if (out.size() + piece.size() > maxBytes) break;
    out += piece;
    i += length;
  }
  return out;
}
