// A zip .imz that another tool made, through diskelle.exe's command line: checked, converted and written to
// the floppy; damaged, it is refused with the message for an unreadable image and the disk stays as it was.
#include "Scenario_win32.h"
#include "base/Texts.h"
#include "floppy/FloppyFixtures.h"
#include "support/ImageTestSupport.h"
#include "support/ZipTool.h"

namespace scenario {
namespace {

using ZipImage = DiskelleScenario;


// Starts diskelle.exe, answers the one message box it shows with OK and returns the box's text and the exit
// code.
std::pair<std::wstring, std::optional<DWORD>> RunWithOneBox(Workspace& workspace,
                                                           const std::vector<std::wstring>& arguments) {
  robot::Process& process = workspace.Start(arguments);
  HWND box = WaitForMessageBox(process.Id());
  if (!box) return {L"", workspace.WaitForExit(process)};
  std::wstring text = Text(box, robot::kMessageBoxTextId);
  workspace.Answer(box, IDOK);
  return {text, workspace.WaitForExit(process)};
}

TEST_F(ZipImage, TheCommandLineReadsAZipImzLikeItsImage) {
  std::string raw = FloppyBytes(kDiskBytes, 4);
  std::string image = MakeImage("盘.img", raw, "别的工具");
  std::string zip = Path("别的 工具.imz");
  ASSERT_TRUE(RunZipTool({"-9", "-j"}, zip, {image}));
  InsertFloppy();

  auto checked = RunWithOneBox(*this, {L"/t", L"/i", Utf16(zip)});
  EXPECT_EQ(checked.first, Utf16(TextOf(kTextCrcGood)));
  EXPECT_EQ(checked.second, std::optional<DWORD>(0));

  std::string back = Path("回来.img");
  robot::Process& convert = Start({L"/c", L"/i", Utf16(zip), L"/o", Utf16(back)});
  EXPECT_EQ(WaitForExit(convert), std::optional<DWORD>(0));
  EXPECT_TRUE(ReadWhole(back) == ReadWhole(image));

  robot::Process& write = Start({L"/s", L"/i", Utf16(zip), L"/w"});
  EXPECT_EQ(WaitForExit(write), std::optional<DWORD>(0));
  std::vector<uint8_t> disk = SectorsOf(FloppyInDrive(), 0, 2880);
  EXPECT_TRUE(std::string(disk.begin(), disk.end()) == raw) << "the disk does not hold the image";

  std::string bytes = ReadWhole(zip);
  bytes[bytes.size() / 2] = static_cast<char>(bytes[bytes.size() / 2] ^ 0x10);
  WriteWhole(zip, bytes);
  InsertFloppy();
  std::string before = FloppyFileBytes();
  for (const std::vector<std::wstring>& arguments :
       {std::vector<std::wstring>{L"/t", L"/i", Utf16(zip)}, {L"/s", L"/i", Utf16(zip), L"/w"}}) {
    auto refused = RunWithOneBox(*this, arguments);
    EXPECT_EQ(refused.first, Utf16(TextOf(kTextImageReadFailed))) << Utf8(arguments[0]);
    EXPECT_NE(refused.second, std::optional<DWORD>(0));
  }
  EXPECT_EQ(FloppyFileBytes(), before) << "a damaged archive must leave the disk untouched";
}

}  // namespace
}  // namespace scenario
