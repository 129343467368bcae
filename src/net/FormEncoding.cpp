#include "net/FormEncoding.h"

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

bool IsUnreserved(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
         c == '.' || c == '~';
}

void AppendEncoded(std::string& out, char c) {
  if (IsUnreserved(c)) {
    out += c;
    return;
  }
  unsigned char byte = static_cast<unsigned char>(c);
  out += '%';
  out += kHexDigits[byte >> 4];
  out += kHexDigits[byte & 0x0F];
}

}  // namespace

std::string EncodeFormValue(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) AppendEncoded(out, c);
  return out;
}

std::string EncodeFormComment(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    if (text[i] == '\n') {
      out += '\n';
    } else {
      AppendEncoded(out, text[i]);
    }
  }
  return out;
}
