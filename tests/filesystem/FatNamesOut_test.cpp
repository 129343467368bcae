// Names as they go into folder entries: the short names Windows makes for long names, which names need long-name
// entries, the names FAT cannot hold, and labels. Disks with these names are judged by dosfstools and mtools
// in the command-line tests; here the rules themselves, name by name.

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "filesystem/FatNames.h"
#include "filesystem/FatNamesOut.h"
#include "filesystem/NameFolding.h"

namespace {

std::string Text(const ShortNameBytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

ShortNameBytes Bytes(const std::string& text) {
  ShortNameBytes bytes;
  std::copy_n(text.begin(), 11, bytes.begin());
  return bytes;
}

TEST(FatNamesOut, ShortNamesAreMadeAsWindowsMakesThem) {
  const struct {
    const char* longName;
    std::set<std::string> taken;
    const char* shortName;
    uint8_t lowerFlags;
    bool longEntries;
  } cases[] = {
      {"README.TXT", {}, "README  TXT", 0, false},
      {"readme.txt", {}, "README  TXT", kLowerBase | kLowerExtension, false},
      {"readme.TXT", {}, "README  TXT", kLowerBase, false},
      {"Readme.txt", {}, "README  TXT", 0, true},  // mixed case in one part: only a long name keeps it
      {"makefile", {}, "MAKEFILE   ", kLowerBase, false},
      {"My File.txt", {}, "MYFILE~1TXT", 0, true},  // a space is dropped: lossy
      {"a.b.c", {}, "AB~1    C  ", 0, true},      // the last dot starts the extension, the others go
      {".bashrc", {}, "BASHRC~1   ", 0, true},     // leading dots go
      {"longfilename.html", {}, "LONGFI~1HTM", 0, true},
      {"x+y;z=[1].txt", {}, "X_Y_Z_~1TXT", 0, true},  // characters only long names may hold become _
      {"longfilename.txt", {"LONGFI~1TXT", "LONGFI~2TXT"}, "LONGFI~3TXT", 0, true},
      {"longfilename.txt",
       {"LONGFI~1TXT", "LONGFI~2TXT", "LONGFI~3TXT", "LONGFI~4TXT", "LONGFI~5TXT", "LONGFI~6TXT", "LONGFI~7TXT",
        "LONGFI~8TXT", "LONGFI~9TXT"},
       "LONGF~10TXT", 0, true},  // a longer tail cuts the basis further
      {"README.TXT", {"README  TXT"}, "README~1TXT", 0, true},
  };
  for (const auto& c : cases) {
    const ShortName made =
        MakeShortName(c.longName, [&](const ShortNameBytes& bytes) { return c.taken.count(Text(bytes)) > 0; });
    EXPECT_EQ(Text(made.bytes), c.shortName) << c.longName;
    EXPECT_EQ(made.lowerFlags, c.lowerFlags) << c.longName;
    EXPECT_EQ(made.needsLongName, c.longEntries) << c.longName;
  }
}

TEST(FatNamesOut, LongNameEntriesCarryTheNameAndTheChecksumTheReaderChecks) {
  for (const std::string& name :
       std::vector<std::string>{"A long file name.text", "exactly13char", std::string(255, 'n'), "中文名称.txt"}) {
    const ShortNameBytes shortName = Bytes("ALONGF~1TEX");
    LongNameCollector collector;
    for (const FatEntryBytes& entry : LongNameEntries(name, ShortNameChecksum(shortName.data()))) {
      collector.Add(entry.data());
    }
    uint8_t shortEntry[32] = {};
    std::copy(shortName.begin(), shortName.end(), shortEntry);
    EXPECT_EQ(collector.TakeFor(shortEntry), name);
  }
}

TEST(FatNamesOut, NamesFatCannotHoldAreNamedWithTheReason) {
  const struct {
    std::string name;
    NameFault fault;
  } cases[] = {
      {"report 1998.doc", NameFault::None},   {"中文 名.txt", NameFault::None},
      {std::string(255, 'x'), NameFault::None}, {std::string(256, 'x'), NameFault::TooLong},
      {"", NameFault::Empty},                  {"..", NameFault::Empty},
      {"a:b", NameFault::ForbiddenCharacter},  {"what?", NameFault::ForbiddenCharacter},
      {"a\\b", NameFault::ForbiddenCharacter}, {"tab\there", NameFault::ControlCharacter},
      {"name.", NameFault::TrailingDotOrSpace}, {"name ", NameFault::TrailingDotOrSpace},
      {"\xff\xfe", NameFault::NotUtf8},
  };
  for (const auto& c : cases) EXPECT_EQ(CheckLongName(c.name), c.fault) << c.name;
}

TEST(FatNamesOut, LabelsAreUpperCasedAndRefusedWhenFatCannotHoldThem) {
  const struct {
    const char* text;
    const char* bytes;  // nullptr: refused
  } cases[] = {
      {"backup 98", "BACKUP 98  "}, {"", "           "}, {"ELEVENCHARS", "ELEVENCHARS"},
      {"twelve chars", nullptr},    {"a.b", nullptr},   {" lead", nullptr},
      {"x*y", nullptr},
  };
  for (const auto& c : cases) {
    const std::optional<ShortNameBytes> label = LabelBytes(c.text);
    ASSERT_EQ(label.has_value(), c.bytes != nullptr) << c.text;
    if (label) {
      EXPECT_EQ(Text(*label), c.bytes) << c.text;
    }
  }
}

}  // namespace
