// Which server the Internet dialogs ask: $DISKELLE_SERVER when it is a valid address, else the default.
#include "net/Server.h"

#include <gtest/gtest.h>

namespace {

TEST(Server, TakesAValidHostAndPortFromTheEnvironmentAndIgnoresTheRest) {
  const ServerAddress fallback{kDefaultServerHost, 80};
  struct Case {
    std::optional<std::string> value;
    ServerAddress server;
  } cases[] = {
      {std::nullopt, fallback},
      {"", fallback},
      {"updates.example.org", {"updates.example.org", 80}},
      {"127.0.0.1:8080", {"127.0.0.1", 8080}},
      {"LocalHost:1", {"LocalHost", 1}},
      {"a-b.c:65535", {"a-b.c", 65535}},
      {"host:0", fallback},
      {"host:65536", fallback},
      {"host:", fallback},
      {"host:80:81", fallback},
      {"host:8o", fallback},
      {"host:+80", fallback},
      {":80", fallback},
      {"http://host", fallback},
      {"host/path", fallback},
      {"host name", fallback},
      {"host..example", fallback},
      {".host", fallback},
      {"-host.example", fallback},
      {"host-.example", fallback},
      {"[::1]:80", fallback},
      {"h\xC3\xB6st", fallback},
      {std::string(63, 'a') + ".b", {std::string(63, 'a') + ".b", 80}},
      {std::string(64, 'a') + ".b", fallback},
  };
  for (const Case& c : cases) {
    auto environment = [&c](const std::string& name) { return name == "DISKELLE_SERVER" ? c.value : std::nullopt; };
    EXPECT_EQ(ServerFromEnvironment(environment), c.server) << c.value.value_or("(unset)");
  }
}

}  // namespace
