// The .img and .imz shell associations, run against every registry backend of this system.
#include "settings/FileAssociations.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "base/Utf.h"
#include "base/Win32Codes.h"
#include "settings/Backends.h"
#include "settings/RegistryKey.h"

namespace {

const std::string kProgram = "C:\\程序\\Diskelle.exe";
const std::string kForeignProgId = "DiskelleTestsForeignFile";

// Forwards to the backend under test and records the keys written, in order.
class RecordingRegistry : public IRegistryBackend {
 public:
  explicit RecordingRegistry(IRegistryBackend& inner) : inner_(inner) {}
  long CreateKey(RegistryHandle parent, const std::string& subKey, uint32_t access, RegistryHandle* key) override {
    long result = inner_.CreateKey(parent, subKey, access, key);
    if (result == kErrorSuccess) paths_[*key] = subKey;
    return result;
  }
  long OpenKey(RegistryHandle parent, const std::string& subKey, uint32_t access, RegistryHandle* key) override {
    return inner_.OpenKey(parent, subKey, access, key);
  }
  long CloseKey(RegistryHandle key) override { return inner_.CloseKey(key); }
  long SetValue(RegistryHandle key, const std::string& name, uint32_t type, std::span<const uint8_t> data) override {
    written.push_back(paths_[key]);
    return inner_.SetValue(key, name, type, data);
  }
  long QueryValue(RegistryHandle key, const std::string& name, uint32_t* type, uint8_t* data,
                  uint32_t* size) override {
    return inner_.QueryValue(key, name, type, data, size);
  }
  long EnumKey(RegistryHandle key, uint32_t index, std::string* name) override {
    return inner_.EnumKey(key, index, name);
  }
  long DeleteKey(RegistryHandle parent, const std::string& subKey) override { return inner_.DeleteKey(parent, subKey); }

  std::vector<std::string> written;

 private:
  IRegistryBackend& inner_;
  std::map<RegistryHandle, std::string> paths_;
};

struct CountingNotifier : IShellNotifier {
  void AssociationsChanged() override { ++calls; }
  int calls = 0;
};

struct ExpectedType {
  ImageFileType type;
  std::string extension, progId;
  std::vector<std::pair<std::string, std::string>> keys;  // below HKCU\Software\Classes, in write order
};

std::vector<ExpectedType> ExpectedTypes() {
  auto keysOf = [](const std::string& progId, const std::string& extension, const std::string& typeName,
                   const std::string& icon) {
    return std::vector<std::pair<std::string, std::string>>{
        {progId, typeName},
        {progId + "\\DefaultIcon", kProgram + icon},
        {progId + "\\Shell\\open", "打开"},
        {progId + "\\Shell\\open\\command", "\"" + kProgram + "\" \"%1\""},
        {progId + "\\Shell\\write_image_to_floppy_disk", "写入映像文件到软盘(&W)"},
        {progId + "\\Shell\\write_image_to_floppy_disk\\command", "\"" + kProgram + "\" /i \"%1\" /w"},
        {progId + "\\Shell\\check_integrity_of_image", "检查映像文件的完整性(&I)"},
        {progId + "\\Shell\\check_integrity_of_image\\command", "\"" + kProgram + "\" /i \"%1\" /t"},
        {extension, progId},
    };
  };
  return {
      {ImageFileType::Img, ".img", "DiskelleFile", keysOf("DiskelleFile", ".img", "Diskelle", ",1")},
      {ImageFileType::Imz, ".imz", "DiskelleCompressedFile",
       keysOf("DiskelleCompressedFile", ".imz", "压缩的软盘映像", ",2")},
  };
}

class FileAssociations : public ::testing::TestWithParam<BackendUnderTest> {
 public:  // the scenario tables arrange through the fixture
  void SetUp() override { registry = GetParam().makeEmpty(); }

  void StoreDefault(RegistryHandle root, const std::string& path, const std::string& value) {
    RegistryKey key(*registry);
    ASSERT_EQ(key.Create(root, path), kErrorSuccess);
    ASSERT_EQ(key.WriteString("", value), kErrorSuccess);
    key.Close();
  }

  std::string ReadDefault(RegistryHandle root, const std::string& path) {
    RegistryKey key(*registry);
    if (key.Open(root, path) != kErrorSuccess) return "<missing key>";
    std::string value;
    key.ReadString("", value, "<missing value>");
    key.Close();
    return value;
  }

  // Every key below path, as paths relative to root.
  void CollectTree(RegistryHandle root, const std::string& path, std::set<std::string>& out) {
    RegistryHandle key = 0;
    if (registry->OpenKey(root, path, kKeyAllAccess, &key) != kErrorSuccess) return;
    out.insert(path);
    std::string child;
    for (uint32_t i = 0; registry->EnumKey(key, i, &child) == kErrorSuccess; ++i) {
      CollectTree(root, path + "\\" + child, out);
    }
    registry->CloseKey(key);
  }

  std::unique_ptr<IRegistryBackend> registry;
};

TEST_P(FileAssociations, RegisteringTwiceWritesExactlyOneSetOfKeysInOrder) {
  for (const ExpectedType& expected : ExpectedTypes()) {
    SCOPED_TRACE(expected.extension);
    RecordingRegistry recording(*registry);
    ASSERT_EQ(Register(recording, expected.type, kProgram), kErrorSuccess);
    ASSERT_EQ(Register(recording, expected.type, kProgram), kErrorSuccess);

    std::vector<std::string> once;
    for (const auto& [path, value] : expected.keys) once.push_back(std::string(kUserClassesKey) + "\\" + path);
    std::vector<std::string> twice = once;
    twice.insert(twice.end(), once.begin(), once.end());
    EXPECT_EQ(recording.written, twice);

    std::set<std::string> keys(once.begin(), once.end() - 1);  // the ProgID's keys, without the extension
    keys.insert(std::string(kUserClassesKey) + "\\" + expected.progId + "\\Shell");

    std::set<std::string> tree;
    CollectTree(kHkeyCurrentUser, std::string(kUserClassesKey) + "\\" + expected.progId, tree);
    EXPECT_EQ(tree, keys);

    for (const auto& [path, value] : expected.keys) {
      RegistryHandle key = 0;
      ASSERT_EQ(registry->OpenKey(kHkeyCurrentUser, std::string(kUserClassesKey) + "\\" + path, kKeyAllAccess, &key),
                kErrorSuccess);
      uint8_t data[1024];
      uint32_t size = sizeof data, type = 0;
      ASSERT_EQ(registry->QueryValue(key, "", &type, data, &size), kErrorSuccess) << path;
      registry->CloseKey(key);
      std::vector<uint8_t> bytes;
      for (char16_t c : Utf8ToUtf16(value)) bytes.insert(bytes.end(), {uint8_t(c & 0xFF), uint8_t(c >> 8)});
      bytes.insert(bytes.end(), {0, 0});
      EXPECT_EQ(type, kRegSz) << path;
      EXPECT_EQ(std::vector<uint8_t>(data, data + size), bytes) << path;
    }
  }
}

TEST_P(FileAssociations, IsAssociatedFollowsTheOpenCommand) {
  struct Case {
    const char* name;
    std::function<void(FileAssociations&)> arrange;
    std::string extension, askedPath;
    int expected;
  };
  const Case cases[] = {
      {"nothing registered", [](FileAssociations&) {}, ".img", kProgram, 0},
      {"registered", [](FileAssociations& t) { ASSERT_EQ(RegisterImg(*t.registry, kProgram), kErrorSuccess); }, ".img", kProgram, 1},
      {"other type registered", [](FileAssociations& t) { ASSERT_EQ(RegisterImz(*t.registry, kProgram), kErrorSuccess); }, ".img", kProgram,
       0},
      {"program moved", [](FileAssociations& t) { ASSERT_EQ(RegisterImz(*t.registry, kProgram), kErrorSuccess); }, ".imz",
       "D:\\Diskelle.exe", 0},
      {"foreign command containing the path",
       [](FileAssociations& t) {
         t.StoreDefault(kHkeyClassesRoot, ".img", kForeignProgId);
         t.StoreDefault(kHkeyClassesRoot, kForeignProgId + "\\Shell\\open\\command",
                        "\"C:\\程序\\Diskelle.exe.old\\viewer.exe\" \"%1\"");
       },
       ".img", kProgram, 1},
      {"unregistered",
       [](FileAssociations& t) {
         ASSERT_EQ(RegisterImz(*t.registry, kProgram), kErrorSuccess);
         ASSERT_EQ(UnregisterImz(*t.registry), kErrorSuccess);
       },
       ".imz", kProgram, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    registry = GetParam().makeEmpty();
    c.arrange(*this);
    EXPECT_EQ(IsAssociated(*registry, c.extension, c.askedPath), c.expected);
  }
}

TEST_P(FileAssociations, UnregisterRemovesTheProgIdAndKeepsTheExtensionKey) {
  ASSERT_EQ(RegisterImz(*registry, kProgram), kErrorSuccess);
  ASSERT_EQ(RegisterImg(*registry, kProgram), kErrorSuccess);
  EXPECT_EQ(UnregisterImz(*registry), kErrorSuccess);
  EXPECT_EQ(UnregisterImz(*registry), kErrorSuccess);  // already gone

  std::set<std::string> tree;
  CollectTree(kHkeyCurrentUser, "Software\\Classes\\DiskelleCompressedFile", tree);
  EXPECT_TRUE(tree.empty());
  EXPECT_EQ(ReadDefault(kHkeyCurrentUser, "Software\\Classes\\.imz"), "DiskelleCompressedFile");
  EXPECT_EQ(IsAssociated(*registry, ".img", kProgram), 1);
}

TEST_P(FileAssociations, MachineWideAssociationOfAnotherProgramIsLeftAlone) {
  const std::string foreignCommand = "\"C:\\Other\\other.exe\" \"%1\"";
  StoreDefault(kHkeyClassesRoot, ".img", kForeignProgId);
  StoreDefault(kHkeyClassesRoot, kForeignProgId + "\\Shell\\open\\command", foreignCommand);

  ASSERT_EQ(RegisterImg(*registry, kProgram), kErrorSuccess);
  EXPECT_EQ(IsAssociated(*registry, ".img", kProgram), 1);  // the user's classes come first
  ASSERT_EQ(UnregisterImg(*registry), kErrorSuccess);
  EXPECT_EQ(IsAssociated(*registry, ".img", kProgram), 0);

  EXPECT_EQ(ReadDefault(kHkeyClassesRoot, ".img"), kForeignProgId);
  EXPECT_EQ(ReadDefault(kHkeyClassesRoot, kForeignProgId + "\\Shell\\open\\command"), foreignCommand);
}

TEST_P(FileAssociations, ABatchNotifiesTheShellOnce) {
  struct Case {
    const char* name;
    AssociationChange img, imz;
    int notifications, imgAssociated, imzAssociated;
  };
  using enum AssociationChange;
  const Case cases[] = {
      {"register both", Register, Register, 1, 1, 1},
      {"change nothing", Keep, Keep, 0, 0, 0},
      {"remove what is not there", Remove, Keep, 1, 0, 0},
      {"register one, remove the other", Register, Remove, 1, 1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    registry = GetParam().makeEmpty();
    CountingNotifier notifier;
    EXPECT_EQ(ChangeAssociations(*registry, kProgram, c.img, c.imz, &notifier), kErrorSuccess);
    EXPECT_EQ(notifier.calls, c.notifications);
    EXPECT_EQ(IsAssociated(*registry, ".img", kProgram), c.imgAssociated);
    EXPECT_EQ(IsAssociated(*registry, ".imz", kProgram), c.imzAssociated);
  }
  EXPECT_EQ(ChangeAssociations(*registry, kProgram, Register, Keep, nullptr), kErrorSuccess);
}

INSTANTIATE_TEST_SUITE_P(Backends, FileAssociations, ::testing::ValuesIn(RegistryBackendsUnderTest()),
                         [](const auto& backend) { return backend.param.name; });

}  // namespace
