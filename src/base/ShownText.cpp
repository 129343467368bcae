#include "base/ShownText.h"

namespace {

constexpr std::string_view kCutMark = "\xE2\x80\xA6";  // …

}  // namespace

std::string LimitText(std::string_view text, std::size_t limit) {
  if (text.size() <= limit) return std::string(text);
  std::size_t end = limit;
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  return std::string(text.substr(0, end));
}

std::string BoundForControl(std::string_view text, std::size_t limit) {
  std::string shown;
  for (std::size_t start = 0; start < text.size();) {
    std::size_t end = text.find('\n', start);
    std::size_t next = end == std::string_view::npos ? text.size() : end + 1;
    std::string_view line = text.substr(start, next - start);
    if (line.size() > kMaxShownLineBytes + 2) {
      std::string_view ending = line.ends_with("\r\n") ? "\r\n" : line.ends_with('\n') ? "\n" : "";
      shown += LimitText(line, kMaxShownLineBytes);
      shown += kCutMark;
      shown += ending;
    } else {
      shown += line;
    }
    if (shown.size() > limit) return LimitText(shown, limit) + std::string(kCutMark);
    start = next;
  }
  return shown;
}
