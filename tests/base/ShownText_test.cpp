// What of a long outside text a window is given.
#include "base/ShownText.h"

#include <gtest/gtest.h>

namespace {

TEST(ShownText, CutsLongLinesAndLongTextsBetweenCharacters) {
  const std::string longLine(kMaxShownLineBytes + 10, 'x');
  const std::string cutLine = std::string(kMaxShownLineBytes, 'x') + "…";
  const std::string chinese = "版" + std::string(kMaxShownLineBytes - 4, 'y') + "本本";  // a character across the cut
  struct Case {
    std::string text;
    std::size_t limit;
    std::string shown;
  } cases[] = {
      {"", 100, ""},
      {"short\r\nlines\n", 100, "short\r\nlines\n"},
      {std::string(kMaxShownLineBytes, 'x') + "\r\n", 5000, std::string(kMaxShownLineBytes, 'x') + "\r\n"},
      {longLine + "\r\nnext", 5000, cutLine + "\r\nnext"},
      {"a\n" + longLine, 5000, "a\n" + cutLine},
      {chinese, 5000, "版" + std::string(kMaxShownLineBytes - 4, 'y') + "…"},
      {"one\ntwo\nthree\n", 6, "one\ntw…"},
      {"错误错误", 7, "错误…"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(BoundForControl(c.text, c.limit), c.shown) << c.text.substr(0, 20);
  }
}

}  // namespace
