#include "net/HttpStatus.h"

#include "base/Format.h"
#include "base/Texts.h"

bool IsSuccessStatus(std::optional<int> code) { return !code || (*code >= 200 && *code <= 299); }

std::optional<std::string> HttpStatusError(std::optional<int> code, std::string_view statusText, std::size_t limit) {
  if (IsSuccessStatus(code)) return std::nullopt;
  return FormatText(kTextHttpRequestFailed, {*code, LimitText(statusText, limit)});
}

std::string LimitText(std::string_view text, std::size_t limit) {
  if (text.size() <= limit) return std::string(text);
  std::size_t end = limit;
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  return std::string(text.substr(0, end));
}
