#pragma once
// Where a redirect leads. The program follows a few redirects of a GET itself, within plain HTTP, so that a
// server that redirects in a loop cannot keep it asking; every other redirect is reported as the failure
// its status is.

#include <optional>
#include <string>
#include <string_view>

#include "net/Server.h"

inline constexpr int kMaxRedirects = 5;

struct RequestTarget {
  ServerAddress server;
  std::string path;  // with the query, as sent

  bool operator==(const RequestTarget&) const = default;
};

// 301, 302, 303, 307 and 308.
bool IsRedirectStatus(std::optional<int> status);

// The target of a Location header: "http://host[:port][/path]" (scheme in any case) or "/path" on the server
// asked. Paths are printable ASCII without blanks, at most 2048 characters; a fragment is dropped. nullopt
// for anything else (https, other schemes, relative paths, user names).
std::optional<RequestTarget> RedirectTarget(const ServerAddress& from, std::string_view location);
