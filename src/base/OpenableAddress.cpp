#include "base/OpenableAddress.h"

#include "base/Strings.h"

namespace {

bool IsSafeAddressCharacter(char c) {
  if (c <= ' ' || c >= 0x7F) return false;
  switch (c) {
    case '"':
    case '\'':
    case '<':
    case '>':
    case '\\':
    case '`':
    case '^':
    case '{':
    case '}':
    case '|':
      return false;
    default:
      return true;
  }
}

// What follows "http:" or "https:": "//" and a host that is not empty.
bool HasHost(std::string_view rest) {
  if (!rest.starts_with("//")) return false;
  rest.remove_prefix(2);
  std::size_t end = rest.find_first_of("/?#");
  std::string_view authority = rest.substr(0, end);
  std::size_t at = authority.rfind('@');
  if (at != std::string_view::npos) authority.remove_prefix(at + 1);
  return !authority.empty() && authority.front() != ':';
}

}  // namespace

bool IsOpenableAddress(std::string_view address) {
  if (address.empty() || address.size() > kMaxAddressBytes) return false;
  for (char c : address) {
    if (!IsSafeAddressCharacter(c)) return false;
  }
  for (std::string_view scheme : {"http:", "https:"}) {
    if (StartsWithIgnoringCase(address, scheme)) return HasHost(address.substr(scheme.size()));
  }
  if (StartsWithIgnoringCase(address, "mailto:")) return address.size() > 7;
  return false;
}
