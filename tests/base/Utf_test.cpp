#include "base/Utf.h"

#include <gtest/gtest.h>

namespace {

TEST(Utf, RoundTripsEveryPlane) {
  const std::string samples[] = {"", "A:", "授权协议", "請\r\n", "😀 emoji", std::string("nul\0inside", 10)};
  for (const std::string& sample : samples) EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16(sample)), sample);
  EXPECT_EQ(Utf8ToUtf16("😀"), std::u16string(u"\xD83D\xDE00"));
}

TEST(Utf, MalformedInputBecomesReplacementCharacters) {
  struct Case {
    std::string utf8;
    std::u16string utf16;
  } cases[] = {
      {"\xFF", u"\xFFFD"},
      {"a\xC3", u"a\xFFFD"},               // truncated sequence
      {"\xC0\xAF", u"\xFFFD"},             // overlong form: one bad sequence
      {"\xED\xA0\x80", u"\xFFFD"},         // encoded surrogate
      {"\xE4\xB8x", u"\xFFFD\xFFFDx"},     // bad continuation
  };
  for (const Case& c : cases) EXPECT_EQ(Utf8ToUtf16(c.utf8), c.utf16);
  EXPECT_EQ(Utf16ToUtf8(u"\xD800x"), "\xEF\xBF\xBDx");  // lone surrogate
}

}  // namespace
