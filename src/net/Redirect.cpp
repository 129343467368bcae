#include "net/Redirect.h"

#include "base/Strings.h"

namespace {

constexpr std::size_t kMaxPathBytes = 2048;
constexpr std::string_view kHttpScheme = "http://";

bool IsPlainPath(std::string_view path) {
  if (path.empty() || path.front() != '/' || path.size() > kMaxPathBytes) return false;
  for (char c : path) {
    if (c <= ' ' || c > '~') return false;
  }
  return true;
}

}  // namespace

bool IsRedirectStatus(std::optional<int> status) {
  return status && (*status == 301 || *status == 302 || *status == 303 || *status == 307 || *status == 308);
}

std::optional<RequestTarget> RedirectTarget(const ServerAddress& from, std::string_view location) {
  location = location.substr(0, location.find('#'));
  RequestTarget target{from, std::string(location)};
  if (StartsWithIgnoringCase(location, kHttpScheme)) {
    std::string_view rest = location.substr(kHttpScheme.size());
    std::size_t end = rest.find_first_of("/?");
    std::optional<ServerAddress> server = ParseServerAddress(rest.substr(0, end));
    if (!server) return std::nullopt;
    target.server = *server;
    std::string_view path = end == std::string_view::npos ? std::string_view() : rest.substr(end);
    target.path = path.starts_with('/') ? std::string(path) : "/" + std::string(path);
  }
  if (!IsPlainPath(target.path)) return std::nullopt;
  return target;
}
