// The feedback body from arbitrary user entries: whatever the user types, the body keeps its twelve fields
// and every user value stays inside its own.
#include <string>
#include <string_view>

#include "net/FeedbackForm.h"

namespace {

bool IsHex(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); }

// What an encoded value may hold: unreserved characters, %XX escapes and, in a comment, raw LF.
bool IsEncoded(std::string_view value, bool comment) {
  for (std::size_t i = 0; i < value.size(); ++i) {
    char c = value[i];
    bool unreserved = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
                      c == '_' || c == '.' || c == '~';
    if (unreserved || (comment && c == '\n')) continue;
    if (c != '%' || i + 2 >= value.size() || !IsHex(value[i + 1]) || !IsHex(value[i + 2])) return false;
    i += 2;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  // The input is the five entries, separated by NUL bytes.
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  std::string fields[5];
  for (std::size_t field = 0, at = 0; field < 5 && at <= bytes.size(); ++field) {
    std::size_t end = bytes.find('\0', at);
    fields[field] = bytes.substr(at, end == std::string_view::npos ? std::string_view::npos : end - at);
    at = end == std::string_view::npos ? bytes.size() + 1 : end + 1;
  }
  FeedbackEntries entries{fields[0], fields[1], fields[2], fields[3], fields[4]};
  SystemDescription system{2, 5, 1, 2600, 0x0804, "Service Pack 3"};
  std::optional<std::string> body = FeedbackBody(entries, system);
  if (body.has_value() == IsBlankComment(entries)) __builtin_trap();
  if (!body) return 0;

  std::string_view rest = *body;
  constexpr std::string_view kUserFields[] = {"&about=", "&problem=", "&used=", "&email=", "&comment="};
  std::size_t start = rest.find(kUserFields[0]);
  if (start == std::string_view::npos || rest.substr(0, start).find("&additional=Service Pack 3") == rest.npos) {
    __builtin_trap();
  }
  rest.remove_prefix(start);
  for (std::size_t field = 0; field < 5; ++field) {
    if (!rest.starts_with(kUserFields[field])) __builtin_trap();
    rest.remove_prefix(kUserFields[field].size());
    std::size_t end = field < 4 ? rest.find('&') : rest.size();
    if (end == std::string_view::npos || !IsEncoded(rest.substr(0, end), field == 4)) __builtin_trap();
    rest.remove_prefix(end);
  }
  return 0;
}
