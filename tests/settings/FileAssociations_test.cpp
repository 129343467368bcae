// The .img and .imz shell associations, run against every registry backend of this system.
#include "settings/FileAssociations.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "base/Win32Codes.h"
#include "settings/Backends.h"
#include "settings/HiveRegistry.h"
#include "settings/RecordingRegistry.h"
#include "settings/RegistryKey.h"
#include "support/CountingShellNotifier.h"

namespace {

const std::string kProgram = "C:\\程序\\Diskelle.exe";
const std::string kForeign = "DiskelleTestsForeignFile";
const std::string kClasses = std::string(kUserClassesKey) + "\\";

struct ExpectedType {
  ImageFileType type;
  std::string progId;
  std::vector<std::pair<std::string, std::string>> keys;  // below the user's classes, in write order
};

std::vector<ExpectedType> ExpectedTypes() {
  auto keysOf = [](const std::string& id, const std::string& extension, const std::string& name, const char* icon) {
    const std::string quoted = "\"" + kProgram + "\" ";
    return std::vector<std::pair<std::string, std::string>>{
        {id, name},
        {id + "\\DefaultIcon", kProgram + icon},
        {id + "\\Shell\\open", "打开"},
        {id + "\\Shell\\open\\command", quoted + "\"%1\""},
        {id + "\\Shell\\write_image_to_floppy_disk", "写入映像文件到软盘(&W)"},
        {id + "\\Shell\\write_image_to_floppy_disk\\command", quoted + "/i \"%1\" /w"},
        {id + "\\Shell\\check_integrity_of_image", "检查映像文件的完整性(&I)"},
        {id + "\\Shell\\check_integrity_of_image\\command", quoted + "/i \"%1\" /t"},
        {extension, id},
    };
  };
  return {{ImageFileType::Img, "DiskelleFile", keysOf("DiskelleFile", ".img", "Diskelle", ",1")},
          {ImageFileType::Imz, "DiskelleCompressedFile",
           keysOf("DiskelleCompressedFile", ".imz", "压缩的软盘映像", ",2")}};
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
    if (key.Open(root, path) != kErrorSuccess) return "<no key>";
    std::string value;
    key.ReadString("", value, "<no value>");
    key.Close();
    return value;
  }

  void CollectTree(const std::string& path, std::set<std::string>& out) {
    RegistryHandle key = 0;
    if (registry->OpenKey(kHkeyCurrentUser, path, kKeyAllAccess, &key) != kErrorSuccess) return;
    out.insert(path);
    std::string child;
    for (uint32_t i = 0; registry->EnumKey(key, i, &child) == kErrorSuccess; ++i) CollectTree(path + "\\" + child, out);
    registry->CloseKey(key);
  }

  std::unique_ptr<IRegistryBackend> registry;
};

TEST_P(FileAssociations, RegisteringTwiceLeavesOneSetOfKeysWithTheirExactValues) {
  for (const ExpectedType& expected : ExpectedTypes()) {
    SCOPED_TRACE(expected.progId);
    ASSERT_EQ(Register(*registry, expected.type, kProgram), kErrorSuccess);
    ASSERT_EQ(Register(*registry, expected.type, kProgram), kErrorSuccess);

    std::set<std::string> keys = {kClasses + expected.progId + "\\Shell"}, tree;
    for (std::size_t i = 0; i + 1 < expected.keys.size(); ++i) keys.insert(kClasses + expected.keys[i].first);
    CollectTree(kClasses + expected.progId, tree);
    EXPECT_EQ(tree, keys);

    for (const auto& [path, value] : expected.keys) EXPECT_EQ(ReadDefault(kHkeyCurrentUser, kClasses + path), value);
  }
}

TEST_P(FileAssociations, IsAssociatedFollowsTheOpenCommand) {
  struct Case {
    const char* name;
    std::function<void(FileAssociations&)> arrange;
    std::string extension, askedPath;
    int expected;
  };
  auto registerImz = [](FileAssociations& t) { ASSERT_EQ(RegisterImz(*t.registry, kProgram), kErrorSuccess); };
  const Case cases[] = {
      {"nothing registered", [](FileAssociations&) {}, ".imz", kProgram, 0},
      {"registered", registerImz, ".imz", kProgram, 1},
      {"other type registered", registerImz, ".img", kProgram, 0},
      {"program moved", registerImz, ".imz", "D:\\Diskelle.exe", 0},
      {"foreign command containing the path",
       [](FileAssociations& t) {
         t.StoreDefault(kHkeyClassesRoot, ".img", kForeign);
         t.StoreDefault(kHkeyClassesRoot, kForeign + "\\Shell\\open\\command", "\"" + kProgram + ".old\\x.exe\" %1");
       },
       ".img", kProgram, 1},
      {"unregistered",
       [&](FileAssociations& t) {
         registerImz(t);
         ASSERT_EQ(UnregisterImz(*t.registry), kErrorSuccess);
         ASSERT_EQ(UnregisterImz(*t.registry), kErrorSuccess);  // already gone
         std::set<std::string> tree;
         t.CollectTree(kClasses + "DiskelleCompressedFile", tree);
         EXPECT_TRUE(tree.empty());
         EXPECT_EQ(t.ReadDefault(kHkeyCurrentUser, kClasses + ".imz"), "DiskelleCompressedFile");
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

TEST_P(FileAssociations, MachineWideAssociationOfAnotherProgramIsLeftAlone) {
  const std::string command = "\"C:\\Other\\other.exe\" \"%1\"";
  StoreDefault(kHkeyClassesRoot, ".img", kForeign);
  StoreDefault(kHkeyClassesRoot, kForeign + "\\Shell\\open\\command", command);

  ASSERT_EQ(RegisterImg(*registry, kProgram), kErrorSuccess);
  EXPECT_EQ(IsAssociated(*registry, ".img", kProgram), 1);  // the user's classes come first
  ASSERT_EQ(UnregisterImg(*registry), kErrorSuccess);
  EXPECT_EQ(IsAssociated(*registry, ".img", kProgram), 0);
  EXPECT_EQ(ReadDefault(kHkeyClassesRoot, ".img"), kForeign);
  EXPECT_EQ(ReadDefault(kHkeyClassesRoot, kForeign + "\\Shell\\open\\command"), command);
}

TEST_P(FileAssociations, ABatchNotifiesTheShellOnce) {
  using enum AssociationChange;
  const std::tuple<AssociationChange, AssociationChange, int, int, int> cases[] = {
      // img, imz, notifications, .img associated, .imz associated
      {Register, Register, 1, 1, 1}, {Keep, Keep, 0, 0, 0}, {Register, Remove, 1, 1, 0}};
  for (const auto& [img, imz, notifications, imgAssociated, imzAssociated] : cases) {
    registry = GetParam().makeEmpty();
    CountingShellNotifier notifier;
    EXPECT_EQ(ChangeAssociations(*registry, kProgram, img, imz, &notifier), kErrorSuccess);
    EXPECT_EQ(notifier.count, notifications);
    EXPECT_EQ(IsAssociated(*registry, ".img", kProgram), imgAssociated);
    EXPECT_EQ(IsAssociated(*registry, ".imz", kProgram), imzAssociated);
  }
}

INSTANTIATE_TEST_SUITE_P(Backends, FileAssociations, ::testing::ValuesIn(RegistryBackendsUnderTest()),
                         [](const auto& backend) { return backend.param.name; });

TEST(FileAssociationOrder, ProgIdFirstThenIconVerbsAndTheExtensionLast) {
  for (const ExpectedType& expected : ExpectedTypes()) {
    RecordingRegistry registry;
    ASSERT_EQ(Register(registry, expected.type, kProgram), kErrorSuccess);
    std::vector<std::string> order;
    for (const auto& [path, value] : expected.keys) order.push_back(kClasses + path);
    EXPECT_EQ(registry.written, order);
  }
}

}  // namespace
