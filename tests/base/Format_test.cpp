#include "base/Format.h"

#include <gtest/gtest.h>

#include "base/Texts.h"

namespace {

struct FormatCase {
  const char* format;
  std::vector<FormatArg> args;
  const char* expected;
};

std::string Apply(const FormatCase& c) {
  switch (c.args.size()) {
    case 0: return FormatText(c.format);
    case 1: return FormatText(c.format, {c.args[0]});
    case 2: return FormatText(c.format, {c.args[0], c.args[1]});
    default: return FormatText(c.format, {c.args[0], c.args[1], c.args[2]});
  }
}

TEST(FormatText, FillsConversionsLikePrintf) {
  const FormatCase cases[] = {
      {"%d kB", {1440}, "1440 kB"},
      {"%d", {-5}, "-5"},
      {"0x%04X", {19}, "0x0013"},
      {"0x%04X", {0x1F0E5}, "0x1F0E5"},    // at least four digits, never cut
      {"0x%04X", {-1}, "0xFFFFFFFF"},      // negative codes as 32-bit values, as printf does
      {"%#x", {0u}, "0"},
      {"%#x", {0xDEADBEEFu}, "0xdeadbeef"},
      {"%.1f", {12.26}, "12.3"},
      {"%.2f%%", {0.0}, "0.00%"},
      {"%s 已经存在。", {"a.img"}, "a.img 已经存在。"},
      {"%d / %d 字节 (%.1f kB)", {38, 18944, 18.5}, "38 / 18944 字节 (18.5 kB)"},
      {"100%%", {}, "100%"},
  };
  for (const FormatCase& c : cases) EXPECT_EQ(Apply(c), c.expected) << c.format;
}

TEST(FormatText, MismatchedArgumentsAreConvertedNotUndefined) {
  const FormatCase cases[] = {
      {"%s", {42}, "42"},                // number where text is expected
      {"%d", {"text"}, "0"},             // text where a number is expected
      {"%d and %d", {1}, "1 and %d"},    // missing argument: the conversion stays as written
      {"%q", {1}, "%q"},                 // unknown conversion
      {"%999999d", {1}, "%999999d"},     // absurd width is not honoured
      {"end %", {1}, "end %"},
  };
  for (const FormatCase& c : cases) EXPECT_EQ(Apply(c), c.expected) << c.format;
}

TEST(Texts, StringTableTextsAreByteExact) {
  EXPECT_STREQ(TextOf(kTextCannotOpen), "不能打开 %s。");
  EXPECT_STREQ(TextOf(119),
               "不能读取软盘的磁轨 %d，磁头 %d (错误: 0x%04X)。\n请在 \"紧急读取模式\" 下读取该软盘。");
  EXPECT_STREQ(TextOf(122), "只支持扩展名为 %s 的文件。");
  EXPECT_STREQ(TextOf(57344), "Diskelle");
  EXPECT_TRUE(HasText(57670));
  EXPECT_FALSE(HasText(1));
  EXPECT_STREQ(TextOf(1), "");
}

TEST(Texts, FillingAMessage) {
  EXPECT_EQ(FormatText(TextOf(kTextCannotFormatTrack), {5, 1, 19}), "不能格式化软盘的磁轨 5，磁头 1 (错误: 0x0013)。");
  EXPECT_NE(FormatText(kTextHelpForms).find("参数 \"/b\" 也是"), std::string::npos);
}

}  // namespace
