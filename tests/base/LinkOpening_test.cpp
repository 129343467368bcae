#include <gtest/gtest.h>

#include "base/LinkOpening.h"
#include "base/Texts.h"

namespace {

TEST(LinkOpening, BrowserCommandGetsTheAddressAsOneQuotedArgument) {
  struct Case {
    const char* command;
    const char* expected;
  };
  const Case cases[] = {
      {"\"C:\\Browser\\web.exe\" -nohome \"%1\" -extra", "\"C:\\Browser\\web.exe\" -nohome \"http://a.example/x?y=1\""},
      {"web.exe %1", "web.exe \"http://a.example/x?y=1\""},
      {"web.exe", "web.exe \"http://a.example/x?y=1\""},
  };
  for (const Case& c : cases) EXPECT_EQ(LinkCommandLine(c.command, "http://a.example/x?y=1"), c.expected) << c.command;
}

TEST(LinkOpening, AddressesThatCouldRunACommandNeverReachTheBrowserCommand) {
  for (const char* address : {"\"x\" & calc", "file:///C:/windows/system32/calc.exe", "http://a.example/\" & calc",
                              "calc.exe", "javascript:alert(1)", ""}) {
    EXPECT_FALSE(LinkCommandLine("web.exe \"%1\"", address)) << address;
  }
}

TEST(LinkOpening, FailureCodesHaveTheirReasonAndUnknownOnesTheirNumber) {
  EXPECT_EQ(LinkOpenErrorMessage(31), std::string(kTextCannotOpenLink) + kTextLinkNoAssociation);
  EXPECT_EQ(LinkOpenErrorMessage(kLinkRefusedCode), std::string(kTextCannotOpenLink) + kTextLinkRefused);
  EXPECT_EQ(LinkOpenErrorMessage(5), std::string(kTextCannotOpenLink) + kTextLinkAccessDenied);
  EXPECT_EQ(LinkOpenErrorMessage(0), std::string("不能打开链接:\n\n操作系统的内存或者资源不够。"));
  EXPECT_EQ(LinkOpenErrorMessage(4), std::string("不能打开链接:\n\n发生了未知的错误 (4) 。"));
}

}  // namespace
