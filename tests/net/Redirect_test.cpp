// Which redirects the program follows itself, and where they lead.
#include "net/Redirect.h"

#include <gtest/gtest.h>

namespace {

TEST(Redirect, FollowsPlainHttpTargetsOnly) {
  const ServerAddress from{"updates.example.org", 8080};
  struct Case {
    const char* location;
    std::optional<RequestTarget> target;
  } cases[] = {
      {"/software/diskelle/index.txt", RequestTarget{from, "/software/diskelle/index.txt"}},
      {"/a?b=c#part", RequestTarget{from, "/a?b=c"}},
      {"HTTP://Mirror.example.org/x", RequestTarget{{"Mirror.example.org", 80}, "/x"}},
      {"http://127.0.0.1:9000", RequestTarget{{"127.0.0.1", 9000}, "/"}},
      {"http://127.0.0.1:9000?q", RequestTarget{{"127.0.0.1", 9000}, "/?q"}},
      {"https://secure.example.org/x", std::nullopt},
      {"file:///C:/windows/system32/calc.exe", std::nullopt},
      {"relative/path", std::nullopt},
      {"", std::nullopt},
      {"http://user@example.org/", std::nullopt},
      {"http://example.org:0/", std::nullopt},
      {"/with blank", std::nullopt},
      {"/line\r\nX-Injected: 1", std::nullopt},
      {"/\xE7\x89\x88", std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(RedirectTarget(from, c.location), c.target) << c.location;
  }
  EXPECT_EQ(RedirectTarget(from, "/" + std::string(2047, 'a')).has_value(), true);
  EXPECT_EQ(RedirectTarget(from, "/" + std::string(2048, 'a')).has_value(), false);
}

TEST(Redirect, OnlyTheRedirectingCodesCount) {
  for (int code : {301, 302, 303, 307, 308}) EXPECT_TRUE(IsRedirectStatus(code)) << code;
  for (int code : {0, 200, 300, 304, 305}) EXPECT_FALSE(IsRedirectStatus(code)) << code;
  EXPECT_FALSE(IsRedirectStatus(std::nullopt));
}

}  // namespace
