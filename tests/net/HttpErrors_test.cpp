// The messages of failed requests: HTTP status codes and WinInet error codes.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

#include "base/Texts.h"
#include "net/HttpClient.h"
#include "net/HttpStatus.h"
#include "net/WinInetErrors.h"

namespace {

TEST(HttpStatus, OnlyCodesOutside200To299AreErrors) {
  struct Case {
    std::optional<int> code;
    const char* text;
    const char* error;  // nullptr: success
  } cases[] = {
      {200, "OK", nullptr},
      {204, "No Content", nullptr},
      {299, "", nullptr},
      {std::nullopt, "", nullptr},  // no readable code
      {404, "Not Found", "HTTP 请求失败 (404: Not Found)"},
      {404, "Nicht gefunden", "HTTP 请求失败 (404: Nicht gefunden)"},
      {199, "Early", "HTTP 请求失败 (199: Early)"},
      {300, "Multiple Choices", "HTTP 请求失败 (300: Multiple Choices)"},
      {500, "", "HTTP 请求失败 (500: )"},
      {-1, "%s%n", "HTTP 请求失败 (-1: %s%n)"},
  };
  for (const Case& c : cases) {
    std::optional<std::string> error = HttpStatusError(c.code, c.text, kNewsMessageLimit);
    ASSERT_EQ(error.has_value(), c.error != nullptr) << c.code.value_or(0);
    if (error) {
      EXPECT_EQ(*error, c.error);
    }
  }
}

TEST(HttpStatus, AStatusTextIsCutToTheDialogsLimitBetweenCharacters) {
  std::string longText = std::string(kUpdateMessageLimit - 1, 'x') + "错误";
  std::optional<std::string> error = HttpStatusError(503, longText, kUpdateMessageLimit);
  ASSERT_TRUE(error);
  std::erase(*error, '\n');  // the breaks that keep the message box narrow
  EXPECT_EQ(*error, "HTTP 请求失败 (503: " + std::string(kUpdateMessageLimit - 1, 'x') + ")");
  EXPECT_EQ(LimitText("错误", 4), "错");
  EXPECT_EQ(LimitText("错误", 6), "错误");
  EXPECT_EQ(LimitText("ab", 0), "");
}

TEST(HttpStatus, AStatusTextIsShownOnOneLinePerRunWithItsControlsEscaped) {
  struct Case {
    std::string text;
    std::string shown;
  } cases[] = {
      {"Bad\x1b[31m\r\nX-Evil: 1", "Bad\\x1B[31m\\x0D\\x0AX-Evil: 1"},
      {"\xC2\x85 \xE2\x80\xAE\xE6\x96\x87\xE2\x81\xA9", "\\x85 \\u202E\xE6\x96\x87\\u2069"},
      {"latin \xE9t\xE9", "latin \\xE9t\\xE9"},
      {std::string(64, 'x'), std::string(64, 'x')},
      {std::string(65, 'x'), std::string(64, 'x') + "\n" + "x"},
      {"a " + std::string(64, 'y') + " b", "a " + std::string(64, 'y') + " b"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(HttpStatusError(500, c.text, kNewsMessageLimit), "HTTP 请求失败 (500: " + c.shown + ")") << c.text;
  }
  // A status text far past the limit shows its start.
  std::optional<std::string> error = HttpStatusError(500, std::string(5000, 'z'), kNewsMessageLimit);
  ASSERT_TRUE(error);
  EXPECT_EQ(std::count(error->begin(), error->end(), 'z'), static_cast<long>(kNewsMessageLimit));
}

TEST(HttpReply, ADroppedConnectionOrAnEmptyAnswerIsAFailure) {
  struct Case {
    std::optional<int> status;
    std::string body;
    std::optional<std::string> problem;
  } cases[] = {
      {200, "http://d.example/\n", std::nullopt}, {std::nullopt, "x", std::nullopt},
      {0, "", kTextInternetConnectionAborted},     {0, "x", kTextInternetConnectionAborted},
      {200, "", kTextAnswerEmpty},                 {200, "\xEF\xBB\xBF", kTextAnswerEmpty},
      {404, "", "HTTP 请求失败 (404: )"},
  };
  for (const Case& c : cases) {
    HttpReply reply;
    reply.status = c.status;
    ASSERT_TRUE(reply.body.Append(c.body));
    EXPECT_EQ(GetProblem(reply, kNewsMessageLimit), c.problem) << c.status.value_or(-1) << " " << c.body;
  }
  HttpReply dropped;
  dropped.status = 0;
  EXPECT_EQ(PostProblem(dropped, kFeedbackMessageLimit), std::optional<std::string>(kTextInternetConnectionAborted));
}

TEST(WinInetErrors, EveryCodeOfTheTableHasItsOwnTextAndOthersTheStepsText) {
  const char* step = kTextCannotSendHttpRequest;
  std::set<std::string> texts;
  for (uint32_t code = 12001; code <= 12031; ++code) texts.insert(WinInetErrorText(code, step));
  texts.insert(WinInetErrorText(12036, step));
  EXPECT_EQ(texts.size(), 32u);
  EXPECT_EQ(texts.count(step), 0u);

  EXPECT_STREQ(WinInetErrorText(12029, step), "试图连接到服务器失败。");
  EXPECT_STREQ(WinInetErrorText(12002, step), "请求超时。");
  EXPECT_STREQ(WinInetErrorText(12017, step),
               "The operation was canceled, usually because the handle on which the request was operating was "
               "closed before the operation completed.");
  for (uint32_t code : {0u, 5u, 12000u, 12032u, 12035u, 12037u, 12157u}) {
    EXPECT_EQ(WinInetErrorText(code, step), step) << code;
  }
}

}  // namespace
