// The feedback form's body: fields, order, what is encoded and what is sent as it stands.
#include "net/FeedbackForm.h"

#include <gtest/gtest.h>

#include "base/Texts.h"
#include "net/FormEncoding.h"

namespace {

const SystemDescription kWindowsXp{2, 5, 1, 2600, 0x0804, "Service Pack 3"};

FeedbackEntries Entries(std::string email, std::string comment) {
  return {kTextFeedbackAboutProgram, kTextFeedbackProblemNone, kTextFeedbackUsedBoth, std::move(email),
          std::move(comment)};
}

TEST(FeedbackForm, SendsTheSystemAsItStandsAndTheUsersTextEncoded) {
  std::optional<std::string> body = FeedbackBody(Entries("  me@d.example \t", "\r\n Disk 1 & 2\r\nfull? 100%\r\n\r\n"), kWindowsXp);
  ASSERT_TRUE(body);
  EXPECT_EQ(*body,
            "app_name=Diskelle&app_version=2.2.5&ostype=Windows NT&version=5.1&build=2600&langid=0x0804"
            "&additional=Service Pack 3"
            "&about=%E7%A8%8B%E5%BA%8F%E6%95%B4%E4%BD%93"
            "&problem=%E4%B8%8D%E6%98%AF%E9%97%AE%E9%A2%98"
            "&used=%E5%8D%B3%E5%9C%A8%E5%AE%B6%E9%87%8C%E4%B9%9F%E5%9C%A8%E5%B7%A5%E4%BD%9C%E4%B8%AD"
            "&email=me%40d.example"
            "&comment=Disk%201%20%26%202\nfull%3F%20100%25");
}

TEST(FeedbackForm, DescribesEachSystemFamily) {
  struct Case {
    SystemDescription system;
    const char* fields;
  } cases[] = {
      {kWindowsXp, "&ostype=Windows NT&version=5.1&build=2600&langid=0x0804&additional=Service Pack 3&"},
      {{1, 4, 10, 0x040A08AE, 0x0409, " A "}, "&ostype=Windows 9x&version=4.10&build=2222&langid=0x0409&additional= A &"},
      {{2, 10, 0, 19045, 0x0407, ""}, "&ostype=Windows NT&version=10.0&build=19045&langid=0x0407&additional=&"},
  };
  for (const Case& c : cases) {
    std::optional<std::string> body = FeedbackBody(Entries("", "x"), c.system);
    ASSERT_TRUE(body);
    EXPECT_NE(body->find(c.fields), std::string::npos) << *body;
  }
}

TEST(FeedbackForm, RefusesABlankComment) {
  for (const char* comment : {"", " ", "\r\n \t\r\n", "\n\n"}) {
    EXPECT_TRUE(IsBlankComment(Entries("me@d.example", comment))) << comment;
    EXPECT_FALSE(FeedbackBody(Entries("me@d.example", comment), kWindowsXp)) << comment;
  }
  EXPECT_FALSE(IsBlankComment(Entries("", ".")));
}

TEST(FormEncoding, EscapesEverythingButUnreservedCharactersAndKeepsCommentLineBreaksRaw) {
  struct Case {
    std::string text;
    const char* value;
    const char* comment;
  } cases[] = {
      {"aZ09-_.~", "aZ09-_.~", "aZ09-_.~"},
      {"a b+c=d&e%f", "a%20b%2Bc%3Dd%26e%25f", "a%20b%2Bc%3Dd%26e%25f"},
      {"one\r\ntwo\nthree\rfour", "one%0D%0Atwo%0Athree%0Dfour", "one\ntwo\nthree%0Dfour"},
      {"0x0D0A", "0x0D0A", "0x0D0A"},
      {std::string("\0\xff", 2), "%00%FF", "%00%FF"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(EncodeFormValue(c.text), c.value) << c.text;
    EXPECT_EQ(EncodeFormComment(c.text), c.comment) << c.text;
  }
}

}  // namespace
