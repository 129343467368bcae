#include "cli/TerminalText.h"

#include <cstdio>

namespace {

// The length of the well-formed UTF-8 sequence at text[i], or 0.
std::size_t SequenceLength(std::string_view text, std::size_t i) {
  auto byte = [&](std::size_t at) { return static_cast<unsigned char>(text[at]); };
  unsigned char lead = byte(i);
  std::size_t length = lead < 0x80 ? 1 : lead < 0xC2 ? 0 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : lead < 0xF5 ? 4 : 0;
  if (length == 0 || i + length > text.size()) return 0;
  for (std::size_t k = 1; k < length; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
  }
  // Overlong forms, surrogates and code points above U+10FFFF are no UTF-8 either.
  if ((lead == 0xE0 && byte(i + 1) < 0xA0) || (lead == 0xED && byte(i + 1) >= 0xA0) ||
      (lead == 0xF0 && byte(i + 1) < 0x90) || (lead == 0xF4 && byte(i + 1) >= 0x90)) {
    return 0;
  }
  return length;
}

bool IsControl(std::string_view sequence) {
  auto lead = static_cast<unsigned char>(sequence[0]);
  if (sequence.size() == 1) return lead < 0x20 || lead == 0x7F;
  return lead == 0xC2 && static_cast<unsigned char>(sequence[1]) < 0xA0;  // U+0080 to U+009F
}

void AppendEscaped(std::string& out, unsigned char byte) {
  switch (byte) {
    case '\n': out += "\\n"; return;
    case '\r': out += "\\r"; return;
    case '\t': out += "\\t"; return;
    default: break;
  }
  char escaped[5];
  std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
  out += escaped;
}

std::string Escaped(std::string_view text, bool backslashes) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    std::size_t length = SequenceLength(text, i);
    if (length == 0) {
      AppendEscaped(out, static_cast<unsigned char>(text[i++]));
      continue;
    }
    std::string_view sequence = text.substr(i, length);
    if (backslashes && sequence == "\\") {
      out += "\\\\";
    } else if (IsControl(sequence)) {
      for (char c : sequence) AppendEscaped(out, static_cast<unsigned char>(c));
    } else {
      out += sequence;
    }
    i += length;
  }
  return out;
}

}  // namespace

std::string TerminalSafe(std::string_view text) { return Escaped(text, false); }

std::string TerminalExact(std::string_view text) { return Escaped(text, true); }
