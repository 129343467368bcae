#pragma once
// Where the program finds its web server and what it asks there (docs/server.md). The server is
// configuration: a placeholder host that never resolves, replaced by $DISKELLE_SERVER.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/Environment.h"

inline constexpr const char* kDefaultServerHost = "diskelle.invalid";
inline constexpr uint16_t kDefaultServerPort = 80;
inline constexpr const char* kServerVariable = "DISKELLE_SERVER";

struct ServerAddress {
  std::string host;
  uint16_t port = kDefaultServerPort;

  bool operator==(const ServerAddress&) const = default;
};

inline constexpr const char* kUpdateFilePath = "/software/diskelle/index.txt";
inline constexpr const char* kNewsFilePath = "/software/diskelle/communicator.txt";
inline constexpr const char* kFeedbackPath = "/cgi-bin/sw_feedback/index.cgi?";
inline constexpr const char* kUserAgent = "Diskelle";
inline constexpr const char* kFeedbackContentTypeHeader = "Content-Type: application/x-www-form-urlencoded\r\n";

// "host" or "host:port": a DNS name or dotted address (letters, digits, hyphens, dots) and a port from 1
// to 65535. nullopt for anything else.
std::optional<ServerAddress> ParseServerAddress(std::string_view text);

// $DISKELLE_SERVER when it is a valid address; the compiled-in server when it is unset or invalid.
ServerAddress ServerFromEnvironment(const EnvironmentLookup& environment);

// What the Internet dialogs use: the process environment.
ServerAddress ProgramServer();
