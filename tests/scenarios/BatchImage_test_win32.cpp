// The command line's image operations ("/t", "/c") and what every kind of command line ends with: the
// windows a user has to answer and the exit code.
#include "Scenario_win32.h"
#include "base/Format.h"
#include "base/Texts.h"
#include "image/Conversion.h"
#include "image/Integrity.h"
#include "image/ImageInfo.h"
#include "support/FakeMessageBoxes.h"
#include "support/ImageTestSupport.h"

namespace scenario {
namespace {

using BatchImage = DiskelleScenario;


// A window the run shows and the button that answers it: a message box with this text, or a dialog with
// this caption.
struct Expected {
  bool messageBox;
  std::wstring text;
  int button;
};

void AnswerAll(const robot::Process& process, const std::vector<Expected>& windows) {
  for (const Expected& expected : windows) {
    HWND window = expected.messageBox ? WaitForMessageBox(process.Id()) : WaitForCaption(process.Id(), expected.text);
    ASSERT_NE(window, nullptr) << Utf8(expected.text);
    if (expected.messageBox) {
      EXPECT_EQ(Text(window, robot::kMessageBoxTextId), expected.text);
    }
    ASSERT_TRUE(robot::PostCommand(window, expected.button));
    ASSERT_TRUE(robot::WaitUntilClosed(window, kWaitMs));
  }
}

TEST_F(BatchImage, TheIntegrityCheckSaysWhatItFoundAndExitsAccordingly) {
  std::string raw = FloppyBytes(kDiskBytes, 5);
  std::string good = MakeImage("好.img", raw, "");
  std::string damaged = MakeImage("坏.img", raw, "");
  std::string file = ReadWhole(damaged);
  file[1000] = static_cast<char>(file[1000] ^ 0x40);
  WriteWhole(damaged, file);
  std::string bare = Path("无校验.img");
  WriteWhole(bare, raw);
  struct Case {
    std::string path;
    int text;
    DWORD exitCode;
  } cases[] = {{good, kTextCrcGood, 0}, {damaged, kTextCrcBad, 1}, {bare, kTextNoChecksum, 1}};
  InsertFloppy();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    robot::Process& process = Start({L"/t", L"/i", Utf16(c.path)});
    AnswerAll(process, {{true, Utf16(TextOf(c.text)), IDOK}});
    EXPECT_EQ(WaitForExit(process), std::optional<DWORD>(c.exitCode));
  }
}

TEST_F(BatchImage, ConvertingCarriesTheDescriptionGivenAndTheSameDisk) {
  std::string raw = FloppyBytes(kDiskBytes, 9);
  std::string source = MakeImage("源 盘.img", raw, "旧的描述");
  std::string target = Path("新 盘.imz");
  InsertFloppy();
  robot::Process& process = Start({L"/c", L"/i", Utf16(source), L"/o", Utf16(target), L"/d", L"新的 描述，中文"});
  EXPECT_EQ(WaitForExit(process), std::optional<DWORD>(0));
  FakeMessageBoxes boxes;
  CImageInfo converted;
  ASSERT_EQ(converted.LoadInfo(target, boxes), 0);
  EXPECT_EQ(converted.m_description, "新的 描述，中文");
  EXPECT_EQ(converted.m_tracks, 80);
  EXPECT_EQ(converted.m_sectorsPerTrack, 18);
  EXPECT_EQ(CheckIntegrity(converted, boxes), IntegrityResult::Good);
  ImageBuffer buffer;
  ASSERT_EQ(LoadImageFile(converted, buffer, boxes), 0);
  EXPECT_TRUE(std::string(buffer.bytes.begin(), buffer.bytes.begin() + static_cast<std::ptrdiff_t>(buffer.count)) == raw);
}

TEST_F(BatchImage, EveryKindOfCommandLineEndsWithItsExitCode) {
  std::string image = MakeImage("a.img", FloppyBytes(kDiskBytes, 1), "");
  std::string missing = Path("不存在.img");
  std::wstring help = Utf16(kTextHelpCaption);
  std::wstring cannotOpen = Utf16(FormatText(TextOf(kTextCannotOpen), {missing}));
  // A target names the forms that are written (not Teledisk, which is only read).
  std::wstring unsupported = Utf16("只支持扩展名为 IMZ、IMG、IMA、FLP、EXE 和 IMD 的文件。");
  struct Case {
    const char* what;
    std::vector<std::wstring> arguments;
    std::vector<Expected> windows;
    DWORD exitCode;
  } cases[] = {
      {"missing input", {L"/i", Utf16(missing), L"/t"}, {{true, cannotOpen, IDOK}}, 2},
      {"one argument that is no image", {Utf16(missing)}, {{true, cannotOpen, IDOK}, {false, help, IDOK}}, 2},
      {"an operand that is a switch", {L"/i", L"/w"}, {{false, help, IDOK}}, 2},
      {"no operation", {L"/i", Utf16(image)}, {}, 0},
      {"conversion without output", {L"/c", L"/i", Utf16(image)}, {{false, help, IDOK}}, 2},
      {"unknown output form", {L"/r", L"/o", WidePath("x.txt")}, {{true, unsupported, IDOK}}, 2},
      {"switches in capitals", {L"/I", Utf16(image), L"/T"}, {{true, Utf16(TextOf(kTextCrcGood)), IDOK}}, 0},
  };
  InsertFloppy();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    robot::Process& process = Start(c.arguments);
    AnswerAll(process, c.windows);
    EXPECT_EQ(WaitForExit(process), std::optional<DWORD>(c.exitCode));
  }
  EXPECT_EQ(FileNames(), (std::vector<std::string>{"a.img", "a.vfd"})) << "no run may leave a file";
}

}  // namespace
}  // namespace scenario
