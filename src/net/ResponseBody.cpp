#include "net/ResponseBody.h"

#include "base/Texts.h"

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// The length of the UTF-8 sequence at text[i], 0 when it is not a valid one (overlong forms, surrogates
// and values past U+10FFFF included).
std::size_t Utf8SequenceLength(std::string_view text, std::size_t i) {
  auto byte = [&text](std::size_t at) { return static_cast<unsigned char>(text[at]); };
  unsigned char lead = byte(i);
  if (lead < 0x80) return 1;
  std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
  if (length == 0 || lead > 0xF4 || lead == 0xC0 || lead == 0xC1 || i + length > text.size()) return 0;
  for (std::size_t k = 1; k < length; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
  }
  unsigned char second = byte(i + 1);
  if (lead == 0xE0 && second < 0xA0) return 0;   // overlong
  if (lead == 0xED && second >= 0xA0) return 0;  // surrogate
  if (lead == 0xF0 && second < 0x90) return 0;   // overlong
  if (lead == 0xF4 && second >= 0x90) return 0;  // past U+10FFFF
  return length;
}

// The code point of the valid sequence of length bytes at text[i].
uint32_t CodePoint(std::string_view text, std::size_t i, std::size_t length) {
  static constexpr unsigned char kLeadBits[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
  uint32_t value = static_cast<unsigned char>(text[i]) & kLeadBits[length];
  for (std::size_t k = 1; k < length; ++k) value = value << 6 | (static_cast<unsigned char>(text[i + k]) & 0x3F);
  return value;
}

// C1 controls, and the marks that reorder the text around them: a server could turn a link's caption
// around with these.
bool IsHiddenControl(uint32_t c) {
  return (c >= 0x80 && c <= 0x9F) || (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

}  // namespace

bool ResponseBody::Append(std::string_view chunk) {
  if (tooLarge_) return false;
  std::size_t room = kMaxResponseBytes - bytes_.size();
  if (chunk.size() > room) {
    tooLarge_ = true;
    return false;
  }
  bytes_.append(chunk);
  return true;
}

std::optional<std::string> ResponseBody::Problem() const {
  if (tooLarge_) return std::string(kTextAnswerTooLarge);
  if (!IsPlainText(bytes_)) return std::string(kTextAnswerNotText);
  return std::nullopt;
}

std::string_view ResponseBody::Text() const {
  std::string_view text = bytes_;
  if (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
  return text;
}

bool IsPlainText(std::string_view bytes) {
  for (std::size_t i = 0; i < bytes.size();) {
    unsigned char c = static_cast<unsigned char>(bytes[i]);
    if ((c < 0x20 && c != '\t' && c != '\n' && c != '\r') || c == 0x7F) return false;
    std::size_t length = Utf8SequenceLength(bytes, i);
    if (length == 0 || IsHiddenControl(CodePoint(bytes, i, length))) return false;
    i += length;
  }
  return true;
}

std::string EscapeControls(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string shown;
  for (std::size_t i = 0; i < text.size();) {
    std::size_t length = Utf8SequenceLength(text, i);
    uint32_t c = length == 0 ? static_cast<unsigned char>(text[i]) : CodePoint(text, i, length);
    bool control = length == 0 || c < 0x20 || c == 0x7F || IsHiddenControl(c);
    if (!control) {
      shown.append(text.substr(i, length));
    } else if (c <= 0xFF) {
      shown += {'\\', 'x', kHex[c >> 4], kHex[c & 0xF]};
    } else {
      shown += {'\\', 'u', kHex[c >> 12], kHex[(c >> 8) & 0xF], kHex[(c >> 4) & 0xF], kHex[c & 0xF]};
    }
    i += length == 0 ? 1 : length;
  }
  return shown;
}

std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  std::string line;
  for (char c : text) {
    if (c == '\n') {
      lines.push_back(std::move(line));
      line.clear();
    } else if (c != '\r') {
      line += c;
    }
  }
  if (!line.empty()) lines.push_back(std::move(line));
  return lines;
}
