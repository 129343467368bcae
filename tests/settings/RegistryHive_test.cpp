#include "settings/RegistryHive.h"

#include <gtest/gtest.h>

namespace {

const KeyPath kKey = {"HKEY_CURRENT_USER", "Software", "Kestrix Software", "Diskelle"};

std::vector<uint8_t> Utf16Z(std::u16string text) {
  std::vector<uint8_t> bytes;
  for (char16_t c : text) {
    bytes.push_back(static_cast<uint8_t>(c & 0xFF));
    bytes.push_back(static_cast<uint8_t>(c >> 8));
  }
  bytes.push_back(0);
  bytes.push_back(0);
  return bytes;
}

TEST(RegistryHive, EveryValueSurvivesTheTextForm) {
  struct Case {
    const char* name;
    uint32_t type;
    std::vector<uint8_t> data;
  } cases[] = {
      {"Plain", 1, Utf16Z(u"A:")},
      {"Chinese", 1, Utf16Z(u"授权协议")},
      {"Escapes", 1, Utf16Z(u"say \"hi\" \\ there")},
      {"LineBreaks", 1, Utf16Z(u"line\r\nline")},                 // not printable: kept as hex
      {"NoTerminator", 1, {0x41, 0x00}},
      {"OddLength", 1, {0x41, 0x00, 0x00}},
      {"Empty", 1, {}},
      {"Dword", 4, {0x78, 0x56, 0x34, 0x12}},
      {"LongDword", 4, {1, 2, 3, 4, 5}},
      {"Binary", 3, {0x00, 0xFF, 0x10}},
      {"Multi", 7, Utf16Z(u"a")},
      {"", 1, Utf16Z(u"default")},
  };
  RegistryHive hive;
  ASSERT_TRUE(hive.CreateKey(kKey));
  ASSERT_TRUE(hive.CreateKey({"HKEY_CLASSES_ROOT", ".img"}));
  ASSERT_TRUE(hive.CreateKey({"HKEY_CURRENT_USER", "Software", "Empty Key"}));
  for (const Case& c : cases) hive.SetValue(kKey, c.name, c.type, c.data);

  std::string text = hive.Serialize();
  EXPECT_EQ(text.rfind("REGEDIT4\n\n", 0), 0u);
  EXPECT_NE(text.find("\"Dword\"=dword:12345678\n"), std::string::npos);
  EXPECT_NE(text.find("\"Escapes\"=\"say \\\"hi\\\" \\\\ there\"\n"), std::string::npos);
  EXPECT_NE(text.find("@=\"default\"\n"), std::string::npos);
  EXPECT_NE(text.find("[HKEY_CURRENT_USER\\Software\\Empty Key]\n"), std::string::npos);

  auto parsed = RegistryHive::Parse(text);
  ASSERT_TRUE(parsed);
  for (const Case& c : cases) {
    const RegistryHive::Value* value = parsed->FindValue(kKey, c.name);
    ASSERT_NE(value, nullptr) << c.name;
    EXPECT_EQ(value->type, c.type) << c.name;
    EXPECT_EQ(value->data, c.data) << c.name;
  }
  EXPECT_TRUE(parsed->KeyExists({"HKEY_CLASSES_ROOT", ".IMG"}));
  EXPECT_TRUE(parsed->KeyExists({"HKEY_CURRENT_USER", "software", "empty key"}));
  EXPECT_EQ(parsed->Serialize(), text);
}

TEST(RegistryHive, DamagedOrForeignTextIsRefused) {
  const char* texts[] = {
      "",
      "REGEDIT5\n",
      "Windows Registry Editor Version 5.00\n",
      "REGEDIT4\n\"Orphan\"=dword:00000001\n",           // value outside any key
      "REGEDIT4\n[HKEY_LOCAL_MACHINE\\Software]\n",      // unknown root
      "REGEDIT4\n[HKEY_CURRENT_USER\\Software\n",        // unterminated section
      "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"x\"=dword:1234567\n",
      "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"x\"=dword:123456789\n",
      "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"x\"=\"unterminated\n",
      "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"x\"=\"bad \\n escape\"\n",
      "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"x\"=hex:1,2,\n",
      "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"x\"=hex:100\n",
      "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"x\"=hex(zz):00\n",
      "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"x\"=\"a\" trailing\n",
      "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"\"=\"empty name\"\n",
      "REGEDIT4\n[HKEY_CURRENT_USER\\A]\ngarbage\n",
  };
  for (const char* text : texts) EXPECT_FALSE(RegistryHive::Parse(text)) << text;
}

TEST(RegistryHive, AcceptsWindowsLineEndsCommentsAndBom) {
  auto hive = RegistryHive::Parse("\xEF\xBB\xBFREGEDIT4\r\n; written by hand\r\n[HKEY_CURRENT_USER\\A]\r\n"
                                  "\"x\"=dword:00000002\r\n");
  ASSERT_TRUE(hive);
  const RegistryHive::Value* value = hive->FindValue({"HKEY_CURRENT_USER", "A"}, "X");
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(value->data, (std::vector<uint8_t>{2, 0, 0, 0}));
}

TEST(RegistryHive, KeysDeleteOnlyWithoutSubkeys) {
  RegistryHive hive;
  hive.CreateKey({"HKEY_CURRENT_USER", "A", "B"});
  EXPECT_EQ(hive.DeleteKey({"HKEY_CURRENT_USER", "A"}), RegistryHive::DeleteResult::HasSubkeys);
  EXPECT_EQ(hive.DeleteKey({"HKEY_CURRENT_USER", "A", "b"}), RegistryHive::DeleteResult::Deleted);
  EXPECT_EQ(hive.DeleteKey({"HKEY_CURRENT_USER", "A", "B"}), RegistryHive::DeleteResult::Missing);
  EXPECT_EQ(hive.DeleteKey({"HKEY_CURRENT_USER"}), RegistryHive::DeleteResult::HasSubkeys);
  EXPECT_EQ(*hive.SubkeyAt({"HKEY_CURRENT_USER"}, 0), "A");
  EXPECT_FALSE(hive.SubkeyAt({"HKEY_CURRENT_USER"}, 1));
}

}  // namespace
