// What of a server's answer reaches the parsers: text up to 64 KB, nothing else.
#include "net/ResponseBody.h"

#include <gtest/gtest.h>

#include "base/Texts.h"

namespace {

TEST(ResponseBody, RefusesLargeAndBinaryAnswers) {
  struct Case {
    std::string bytes;
    const char* problem;  // nullptr: the answer may be parsed
  } cases[] = {
      {"", nullptr},
      {"line\r\nline\ttab\n", nullptr},
      {"版本历史\n", nullptr},
      {"\xF0\x9F\x92\xBE disk", nullptr},
      {std::string(kMaxResponseBytes, 'a'), nullptr},
      {std::string(kMaxResponseBytes + 1, 'a'), kTextAnswerTooLarge},
      {std::string("a\0b", 3), kTextAnswerNotText},
      {"\x1b[31mred", kTextAnswerNotText},
      {"del\x7f", kTextAnswerNotText},
      {"\x89PNG\r\n", kTextAnswerNotText},
      {"\xC0\xAF", kTextAnswerNotText},          // overlong "/"
      {"\xED\xA0\x80", kTextAnswerNotText},      // surrogate
      {"\xF4\x90\x80\x80", kTextAnswerNotText},  // past U+10FFFF
      {"cut \xE4\xB8", kTextAnswerNotText},
      {"c1 \xC2\x85 next line", kTextAnswerNotText},
      {"c1 \xC2\x9F", kTextAnswerNotText},
      {"\xC2\xA0 and \xE2\x80\x8F marks", nullptr},  // no-break space, right-to-left mark
      {"\xE2\x80\xAE txt.exe", kTextAnswerNotText},  // right-to-left override
      {"\xE2\x80\xAA", kTextAnswerNotText},
      {"\xE2\x81\xA6 isolate", kTextAnswerNotText},
      {"\xE2\x81\xA9", kTextAnswerNotText},
      {"\xE2\x81\xAA ok", nullptr},
  };
  for (const Case& c : cases) {
    ResponseBody body;
    // Read in pieces, as a network answer arrives.
    bool complete = true;
    for (std::size_t at = 0; at < c.bytes.size() && complete; at += 1000) complete = body.Append(c.bytes.substr(at, 1000));
    std::optional<std::string> problem = body.Problem();
    EXPECT_EQ(problem.has_value(), c.problem != nullptr) << c.bytes.substr(0, 40);
    if (problem && c.problem) {
      EXPECT_EQ(*problem, c.problem);
    }
    EXPECT_EQ(complete, c.problem != kTextAnswerTooLarge);
    EXPECT_LE(body.Text().size(), kMaxResponseBytes);
  }
}

TEST(ResponseBody, DropsAByteOrderMarkOnlyAtTheStart) {
  ResponseBody body;
  ASSERT_TRUE(body.Append("\xEF\xBB\xBFhttp://d.example/\n\xEF\xBB\xBF"));
  EXPECT_FALSE(body.Problem());
  EXPECT_EQ(body.Text(), "http://d.example/\n\xEF\xBB\xBF");
}

TEST(ResponseBody, SplitsLinesAtLineFeedsAndDropsEveryCarriageReturn) {
  using Lines = std::vector<std::string>;
  EXPECT_EQ(SplitLines(""), Lines{});
  EXPECT_EQ(SplitLines("\n"), Lines{""});
  EXPECT_EQ(SplitLines("a\r\nb\nc"), (Lines{"a", "b", "c"}));
  EXPECT_EQ(SplitLines("a\n\nb\n"), (Lines{"a", "", "b"}));
  EXPECT_EQ(SplitLines("a\rb\r\r\n\r"), (Lines{"ab"}));
}

}  // namespace
