// The news file: caption, address and message, and when there is a link.
#include "net/NewsFile.h"

#include <gtest/gtest.h>

namespace {

TEST(NewsFile, SplitsCaptionAddressAndMessage) {
  struct Case {
    const char* text;
    const char* caption;
    const char* address;
    const char* message;
    bool link;
  } cases[] = {
      {"Offer\nhttps://d.example/o\nLine 1\r\nLine 2\n\n", "Offer", "https://d.example/o", "Line 1\r\nLine 2", true},
      {"n/a\n\nNothing new.", "n/a", "", "Nothing new.", false},
      {"N/A\r\nhttp://x.example/\r\nHello", "N/A", "http://x.example/", "Hello", false},
      {"Only a caption", "Only a caption", "", "", true},
      {"Only a caption\n", "Only a caption", "", "", true},
      {"N/A ", "N/A ", "", "", true},
      {"Read\njavascript:alert(1)\nText", "Read", "", "Text", true},
      {"Mail us\nMAILTO:team@d.example\n  indented\n", "Mail us", "MAILTO:team@d.example", "  indented", true},
  };
  for (const Case& c : cases) {
    NewsFile news = ParseNewsFile(c.text);
    EXPECT_EQ(news.caption, c.caption) << c.text;
    EXPECT_EQ(news.address, c.address) << c.text;
    EXPECT_EQ(news.message, c.message) << c.text;
    EXPECT_EQ(news.HasLink(), c.link) << c.text;
  }
}

}  // namespace
