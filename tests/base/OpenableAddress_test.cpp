// Which server-supplied addresses a link may open.
#include "base/OpenableAddress.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(OpenableAddress, OnlyWebAndMailLinksWithoutShellSyntax) {
  struct Case {
    std::string address;
    bool openable;
  } cases[] = {
      {"http://diskelle.example/download/setup.exe", true},
      {"https://d.example:8443/a?b=1&c=%20#top", true},
      {"HtTpS://D.Example/", true},
      {"mailto:support@d.example", true},
      {"MailTo:support@d.example?subject=Hi", true},
      {"http://user@d.example/", true},
      {"\"x\" & calc", false},
      {"calc.exe", false},
      {"file:///C:/Windows/System32/calc.exe", false},
      {"FILE://server/share/x.exe", false},
      {"javascript:alert(1)", false},
      {"JavaScript:alert(1)", false},
      {"ftp://d.example/", false},
      {"\\\\server\\share\\x.exe", false},
      {"http:\\\\d.example\\x", false},
      {"http://", false},
      {"http:d.example", false},
      {"http://:80/", false},
      {"http://user@/x", false},
      {"mailto:", false},
      {"", false},
      {" http://d.example/", false},
      {"http://d.example/a b", false},
      {"http://d.example/\"&calc&\"", false},
      {"http://d.example/'x'", false},
      {"http://d.example/<script>", false},
      {"http://d.example/a|b", false},
      {"http://d.example/\t", false},
      {"http://d.example/\r\nx", false},
      {std::string("http://d.example/\0x", 19), false},
      {"http://d.example/\x7f", false},
      {"http://d.example/\xe4\xb8\xad", false},
      {"http://d.example/" + std::string(kMaxAddressBytes - 17, 'a'), true},
      {"http://d.example/" + std::string(kMaxAddressBytes - 16, 'a'), false},
  };
  for (const Case& c : cases) EXPECT_EQ(IsOpenableAddress(c.address), c.openable) << c.address;
}

}  // namespace
