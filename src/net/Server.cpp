#include "net/Server.h"

namespace {

constexpr std::size_t kMaxHostBytes = 253;
constexpr std::size_t kMaxLabelBytes = 63;

bool IsHostCharacter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

bool IsValidHost(std::string_view host) {
  if (host.empty() || host.size() > kMaxHostBytes) return false;
  std::size_t labelStart = 0;
  for (std::size_t i = 0; i <= host.size(); ++i) {
    if (i < host.size() && host[i] != '.') {
      if (!IsHostCharacter(host[i])) return false;
      continue;
    }
    std::string_view label = host.substr(labelStart, i - labelStart);
    if (label.empty() || label.size() > kMaxLabelBytes || label.front() == '-' || label.back() == '-') return false;
    labelStart = i + 1;
  }
  return true;
}

std::optional<uint16_t> ParsePort(std::string_view text) {
  if (text.empty() || text.size() > 5) return std::nullopt;
  unsigned value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<unsigned>(c - '0');
  }
  if (value < 1 || value > 65535) return std::nullopt;
  return static_cast<uint16_t>(value);
}

}  // namespace

std::optional<ServerAddress> ParseServerAddress(std::string_view text) {
  std::size_t colon = text.find(':');
  std::string_view host = text.substr(0, colon);
  if (!IsValidHost(host)) return std::nullopt;
  ServerAddress address{std::string(host), kDefaultServerPort};
  if (colon != std::string_view::npos) {
    std::optional<uint16_t> port = ParsePort(text.substr(colon + 1));
    if (!port) return std::nullopt;
    address.port = *port;
  }
  return address;
}

ServerAddress ServerFromEnvironment(const EnvironmentLookup& environment) {
  if (std::optional<std::string> text = environment(kServerVariable)) {
    if (std::optional<ServerAddress> address = ParseServerAddress(*text)) return *address;
  }
  return ServerAddress{kDefaultServerHost, kDefaultServerPort};
}

ServerAddress ProgramServer() { return ServerFromEnvironment(ProcessEnvironment); }
