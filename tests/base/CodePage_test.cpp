#include "base/CodePage.h"

#include <gtest/gtest.h>

namespace {

// The tests run with code page 936 (GBK): the POSIX default, and the Wine prefix's ANSI code page.
TEST(CodePage, ConvertsToAndFromCodePage936) {
  EXPECT_EQ(ToSystemCodePage("Setup"), "Setup");
  EXPECT_EQ(ToSystemCodePage("授权协议"), "\xCA\xDA\xC8\xA8\xD0\xAD\xD2\xE9");
  EXPECT_EQ(FromSystemCodePage("\xCA\xDA\xC8\xA8\xD0\xAD\xD2\xE9"), "授权协议");
  EXPECT_EQ(ToSystemCodePage("a한b"), "a?b");  // not in the code page
  EXPECT_EQ(FromSystemCodePage(std::string("x\x01]", 3)), std::string("x\x01]", 3));
}

TEST(CodePage, CutsWithoutSplittingACharacter) {
  struct Case {
    std::string utf8;
    std::size_t max;
    std::string expected;
  } cases[] = {
      {std::string(300, 'a'), 255, std::string(255, 'a')},
      {std::string(254, 'a') + "授", 255, std::string(254, 'a')},  // the double-byte character would not fit
      {std::string(253, 'a') + "授", 255, std::string(253, 'a') + "\xCA\xDA"},
      {"授权", 3, "\xCA\xDA"},
      {"", 255, ""},
  };
  for (const Case& c : cases) EXPECT_EQ(ToSystemCodePageCut(c.utf8, c.max), c.expected) << c.utf8.size();
}

}  // namespace
