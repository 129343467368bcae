#include "image/trailer/TagScanner.h"

#include <cstring>
#include <utility>

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::size_t SkipBlanks(std::string_view text, std::size_t pos) {
  while (pos < text.size() && IsBlank(text[pos])) ++pos;
  return pos;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::string_view BlockText(const void* block, std::size_t size) {
  const char* bytes = static_cast<const char*>(block);
  const void* nul = std::memchr(bytes, 0, size);
  return {bytes, nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - bytes) : size};
}

int32_t ReadDecimal(std::string_view text, std::size_t pos) {
  pos = SkipBlanks(text, pos);
  bool negative = false;
  if (pos < text.size() && (text[pos] == '-' || text[pos] == '+')) negative = text[pos++] == '-';
  int64_t value = 0;
  constexpr int64_t kLimit = int64_t{INT32_MAX} + 1;
  for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos) {
    value = value * 10 + (text[pos] - '0');
    if (value > kLimit) value = kLimit;
  }
  if (negative) return static_cast<int32_t>(-value);
  return static_cast<int32_t>(value > INT32_MAX ? INT32_MAX : value);
}

std::optional<std::size_t> TagScanner::Find(std::string_view tag) {
  std::size_t found = text_.find(tag, cursor_);
  if (found == std::string_view::npos) {
    cursor_ = floor_;
    return std::nullopt;
  }
  cursor_ = found + tag.size();
  return cursor_;
}

std::optional<int32_t> TagScanner::Number(std::string_view tag) {
  std::optional<std::size_t> pos = Find(tag);
  if (!pos) return std::nullopt;
  return ReadDecimal(text_, *pos);
}

std::optional<std::pair<int32_t, int32_t>> TagScanner::Pair(std::string_view tag) {
  std::optional<std::size_t> pos = Find(tag);
  if (!pos) return std::nullopt;
  int32_t first = ReadDecimal(text_, *pos);
  std::size_t blank = text_.find(' ', SkipBlanks(text_, *pos));
  int32_t second = blank == std::string_view::npos ? 0 : ReadDecimal(text_, blank + 1);
  return std::make_pair(first, second);
}

std::optional<uint32_t> TagScanner::HexNumber(std::string_view tag) {
  std::optional<std::size_t> found = Find(tag);
  if (!found) return std::nullopt;
  std::size_t pos = SkipBlanks(text_, *found);
  if (pos + 1 < text_.size() && text_[pos] == '0' && (text_[pos + 1] == 'x' || text_[pos + 1] == 'X')) pos += 2;
  uint64_t value = 0;
  for (; pos < text_.size() && HexDigit(text_[pos]) >= 0; ++pos) {
    value = value * 16 + static_cast<uint64_t>(HexDigit(text_[pos]));
    if (value > UINT32_MAX) value = UINT32_MAX;
  }
  return static_cast<uint32_t>(value);
}

std::optional<std::string_view> TagScanner::Text(std::string_view tag) {
  std::optional<std::size_t> pos = Find(tag);
  if (!pos) return std::nullopt;
  std::size_t end = text_.find('\x01', *pos);
  if (end == std::string_view::npos) return std::string_view();
  cursor_ = floor_ = end + 1;
  return text_.substr(*pos, end - *pos);
}
