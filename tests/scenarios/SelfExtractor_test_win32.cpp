// Self-extracting images run as a user runs them: built by diskelle.exe (its own file carries the
// self-extractor), started with a virtual floppy in drive A:, their pages read and answered.
#include <cstring>

#include "Scenario_win32.h"
#include "base/File.h"
#include "base/Texts.h"
#include "floppy/FloppyFixtures.h"
#include "floppy/virtual/VirtualFloppyFile.h"
#include "image/ImageWriter.h"
#include "image/forms/SelfExtractor.h"
#include "selfextractor/SelfExtractorRes.h"
#include "win32/MainDlgRes.h"
#include "support/FakeMessageBoxes.h"
#include "support/ImageTestSupport.h"

namespace scenario {
namespace {


// A 24-bit BMP file of width x height pixels.
std::string BitmapFile(int width, int height) {
  uint32_t row = static_cast<uint32_t>((width * 3 + 3) / 4 * 4);
  uint32_t pixels = row * static_cast<uint32_t>(height);
  std::string file(54 + pixels, '\0');
  auto put = [&file](std::size_t at, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) file[at + i] = static_cast<char>(value >> (8 * i));
  };
  file[0] = 'B';
  file[1] = 'M';
  put(2, static_cast<uint32_t>(file.size()), 4);
  put(10, 54, 4);
  put(14, 40, 4);
  put(18, static_cast<uint32_t>(width), 4);
  put(22, static_cast<uint32_t>(height), 4);
  put(26, 1, 2);
  put(28, 24, 2);
  for (std::size_t i = 54; i < file.size(); ++i) file[i] = static_cast<char>(i * 7);
  return file;
}

SelfExeSettings QuietOptions() {
  SelfExeSettings options;
  options.m_overwriteDialog = 0;
  options.m_successDialog = 1;
  options.m_restartDialog = 0;
  options.m_licenseText.clear();
  return options;
}

class SelfExtractor : public DiskelleScenario {
 protected:
  ~SelfExtractor() override {
    for (auto& process : started_) process.Kill();
  }

  // An .exe image of raw built the way diskelle.exe builds one, with its own file as the stub's carrier.
  std::string BuildImage(const std::string& name, const std::string& raw, const SelfExeSettings& options) {
    FakeMessageBoxes boxes;
    ImageWriteOptions write;
    write.selfExe = &options;
    write.programPath = Utf8(DiskelleExecutable());
    ImageWriter writer(boxes, write);
    std::string path = Path(name);
    CImageInfo info;
    info.m_description = "自解压 的盘";
    info.m_tracks = 80;
    info.m_sectorsPerTrack = 18;
    EXPECT_EQ(writer.Open(path), 0);
    EXPECT_EQ(writer.Write(raw.data(), raw.size()), 0);
    EXPECT_EQ(writer.Finish(info), 0);
    return path;
  }

  robot::Process& Run(const std::string& image, const std::vector<std::wstring>& arguments = {},
                      const Environment& environment = {}) {
    Environment all = {{L"DISKELLE_DRIVE_A", WidePath("a.vfd")}, {L"DISKELLE_DRIVE_B", L""}};
    all.insert(all.end(), environment.begin(), environment.end());
    std::optional<robot::Process> process = robot::Process::Start(Utf16(image), arguments, all);
    EXPECT_TRUE(process.has_value());
    started_.push_back(std::move(*process));
    return started_.back();
  }

  // Answers a message box of the process that shows text and waits for it to close.
  void Expect(const robot::Process& process, const char* text, int button) {
    HWND box = WaitForMessageBox(process.Id());
    ASSERT_NE(box, nullptr) << "no box: " << text;
    EXPECT_EQ(Text(box, robot::kMessageBoxTextId), Utf16(text));
    EXPECT_EQ(robot::TextOf(box), Utf16(kTextSfxTitle));
    Answer(box, button);
  }

  void ExpectDiskHolds(const std::string& raw) {
    std::vector<uint8_t> disk = SectorsOf(FloppyInDrive(), 0, 2880);
    EXPECT_TRUE(std::string(disk.begin(), disk.end()) == raw) << "the disk does not hold the image";
  }

  std::deque<robot::Process> started_;
};

TEST_F(SelfExtractor, ShowsItsPagesAsConfiguredAndWritesTheImage) {
  WriteWhole(Path("picture.bmp"), BitmapFile(90, 70));
  struct Case {
    const char* name;
    bool licence, licencePicture, createPicture, description, custom;
  } cases[] = {
      {"licence with picture", true, true, false, true, true},
      {"licence without picture", true, false, true, false, false},
      {"create page only", false, false, true, true, true},
  };
  std::string raw = FloppyBytes(kDiskBytes, 5);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    InsertFloppy();
    SelfExeSettings options = QuietOptions();
    options.m_licenseDisplay = c.licence;
    options.m_licensePicture = c.licencePicture;
    options.m_licenseTitle = "许可 [协议] 标题";
    options.m_licenseText = "第一行\r\n第二行";
    options.m_createPicture = c.createPicture;
    options.m_createDescription = c.description;
    options.m_createTitle = "做 一张盘";
    options.m_createText = "放入软盘，然后点击 '创建'";
    options.m_customPicture = c.custom;
    options.m_picturePath = Path("picture.bmp");
    robot::Process& process = Run(BuildImage("盘 1.exe", raw, options));
    if (c.licence) {
      HWND page = WaitForCaption(process.Id(), L"许可 [协议] 标题");
      ASSERT_NE(page, nullptr);
      EXPECT_EQ(Text(page, IDC_SFX_TEXT), L"第一行\r\n第二行");
      EXPECT_EQ(Visible(page, IDC_SFX_PICTURE), c.licencePicture);
      if (c.licencePicture && c.custom) {
        RECT picture = ClientRect(page, IDC_SFX_PICTURE);
        EXPECT_EQ(picture.right - picture.left, 90);
        EXPECT_EQ(picture.bottom - picture.top, 70);
      }
      RECT text = ClientRect(page, IDC_SFX_TEXT), ok = ClientRect(page, IDOK);
      EXPECT_LE(text.bottom, ok.top) << "the buttons lie below the text";
      robot::ClickButton(page, IDOK);
    }
    HWND create = WaitForCaption(process.Id(), L"做 一张盘");
    ASSERT_NE(create, nullptr);
    EXPECT_EQ(Text(create, IDC_SFX_TEXT), L"放入软盘，然后点击 '创建'");
    EXPECT_EQ(Visible(create, IDC_SFX_PICTURE), c.createPicture);
    EXPECT_EQ(Visible(create, IDC_SFX_DESCRIPTION), c.description);
    if (c.description) {
      EXPECT_EQ(Text(create, IDC_SFX_DESCRIPTION), L"自解压 的盘");
    }
    if (c.createPicture) {
      RECT picture = ClientRect(create, IDC_SFX_PICTURE), text = ClientRect(create, IDC_SFX_TEXT);
      EXPECT_LE(picture.right, text.left) << "the text lies beside the picture";
    }
    robot::ClickButton(create, IDOK);
    Expect(process, kTextSfxSuccess, IDOK);
    EXPECT_EQ(WaitForExit(process), std::optional<DWORD>(0));
    ExpectDiskHolds(raw);
  }
}

TEST_F(SelfExtractor, DecliningTheLicenceOrTheOverwriteLeavesTheDiskAlone) {
  SelfExeSettings options = QuietOptions();
  options.m_licenseDisplay = 1;
  options.m_licenseText = "条款";
  options.m_overwriteDialog = 1;
  std::string image = BuildImage("拒绝.exe", FloppyBytes(kDiskBytes, 6), options);
  InsertFloppy();
  std::string before = FloppyFileBytes();

  robot::Process& declined = Run(image);
  HWND licence = WaitForCaption(declined.Id(), Utf16(options.m_licenseTitle));
  ASSERT_NE(licence, nullptr);
  robot::ClickButton(licence, IDCANCEL);
  EXPECT_EQ(WaitForExit(declined), std::optional<DWORD>(0));

  robot::Process& notOverwritten = Run(image);
  robot::ClickButton(WaitForCaption(notOverwritten.Id(), Utf16(options.m_licenseTitle)), IDOK);
  HWND create = WaitForCaption(notOverwritten.Id(), Utf16(options.m_createTitle));
  ASSERT_NE(create, nullptr);
  robot::ClickButton(create, IDOK);
  Expect(notOverwritten, TextOf(kTextConfirmOverwriteDisk), IDNO);
  EXPECT_TRUE(robot::FindTopLevel(notOverwritten.Id(), kDialogClass, Utf16(options.m_createTitle)))
      << "No keeps the page open";
  robot::ClickButton(create, IDCANCEL);
  EXPECT_EQ(WaitForExit(notOverwritten), std::optional<DWORD>(0));
  EXPECT_EQ(FloppyFileBytes(), before);
}

TEST_F(SelfExtractor, AnImageMadeByTheProgramsCommandLineWritesTheDiskAndOffersTheRestart) {
  std::string raw = FloppyBytes(kDiskBytes, 7);
  std::string source = MakeImage("源.img", raw, "命令行 做的");
  std::string target = Path("命令行.exe");
  robot::Process& build = Start({L"/c", L"/i", Utf16(source), L"/o", Utf16(target)});
  ASSERT_EQ(WaitForExit(build), std::optional<DWORD>(0));

  InsertFloppy();
  robot::Process& process = Run(target, {}, {{L"DISKELLE_RESTART_LOG", WidePath("restart.log")}});
  HWND create = WaitForCaption(process.Id(), Utf16(SelfExeSettings().m_createTitle));
  ASSERT_NE(create, nullptr);
  EXPECT_EQ(Text(create, IDC_SFX_DESCRIPTION), L"命令行 做的");
  robot::ClickButton(create, IDOK);
  Expect(process, TextOf(kTextConfirmOverwriteDisk), IDYES);
  Expect(process, kTextSfxSuccess, IDOK);
  EXPECT_EQ(WaitForExit(process), std::optional<DWORD>(0));
  ExpectDiskHolds(raw);
  EXPECT_FALSE(FileExists(Path("restart.log"))) << "no restart without the option";

  SelfExeSettings options = QuietOptions();
  options.m_restartDialog = 1;
  robot::Process& restarting = Run(BuildImage("重启.exe", raw, options), {},
                                   {{L"DISKELLE_RESTART_LOG", WidePath("restart.log")}});
  robot::ClickButton(WaitForCaption(restarting.Id(), Utf16(options.m_createTitle)), IDOK);
  Expect(restarting, kTextSfxSuccess, IDOK);
  Expect(restarting, kTextSfxRestartQuestion, IDYES);
  EXPECT_EQ(WaitForExit(restarting), std::optional<DWORD>(0));
  EXPECT_EQ(ReadWhole(Path("restart.log")), "restart\n");
}

TEST_F(SelfExtractor, AnImageConvertedInTheMainWindowCarriesTheStoredOptions) {
  std::string raw = FloppyBytes(kDiskBytes, 12);
  std::string source = MakeImage("窗口 源.img", raw, "窗口里转换的");
  std::string target = Path("窗口 目标.exe");
  std::wstring title = L"窗口 做的盘";
  ASSERT_EQ(::RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Kestrix Software\\Diskelle\\Settings\\Self-Exe",
                              L"CreateTitle", REG_SZ, title.c_str(), static_cast<DWORD>((title.size() + 1) * 2)),
            ERROR_SUCCESS);
  robot::Process& program = Start({});
  HWND main = WaitForMainWindow(program.Id());
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(robot::ChooseMenuItem(main, kMenuConvertImage));
  for (auto [caption, path] : {std::pair{L"打开映像文件", source}, std::pair{L"保存映像文件", target}}) {
    HWND dialog = WaitForCaption(program.Id(), caption);
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(ChooseInFileDialog(dialog, Utf16(path)));
    ASSERT_TRUE(robot::WaitUntilClosed(dialog, kWaitMs));
  }
  ASSERT_TRUE(WaitUntil([&] { return ::IsWindowEnabled(main) != FALSE && FileSize(target).value_or(0) > 0; }));
  ASSERT_TRUE(::PostMessageW(main, WM_CLOSE, 0, 0));
  EXPECT_EQ(WaitForExit(program), std::optional<DWORD>(0));

  InsertFloppy();
  robot::Process& process = Run(target);
  HWND create = WaitForCaption(process.Id(), title);
  ASSERT_NE(create, nullptr);
  EXPECT_EQ(Text(create, IDC_SFX_DESCRIPTION), L"窗口里转换的");
  robot::ClickButton(create, IDOK);
  Expect(process, TextOf(kTextConfirmOverwriteDisk), IDYES);
  Expect(process, kTextSfxSuccess, IDOK);
  EXPECT_EQ(WaitForExit(process), std::optional<DWORD>(0));
  ExpectDiskHolds(raw);
}

TEST_F(SelfExtractor, TheFormatOptionDecidesWhetherADiskOfAnotherFormatIsWritten) {
  std::string raw = FloppyBytes(kDiskBytes, 9);
  for (bool format : {false, true}) {
    SCOPED_TRACE(format ? "format" : "no format");
    InsertFloppy(NewVirtualFloppy({80, 9}));  // a 720 KB disk in the 3.5" drive
    std::string before = FloppyFileBytes();
    SelfExeSettings options = QuietOptions();
    options.m_format = format;
    options.m_verifyFormat = format;
    robot::Process& process = Run(BuildImage("格式化.exe", raw, options));
    robot::ClickButton(WaitForCaption(process.Id(), Utf16(options.m_createTitle)), IDOK);
    HWND box = WaitForMessageBox(process.Id());
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(Text(box, robot::kMessageBoxTextId) == Utf16(kTextSfxSuccess), format);
    Answer(box, IDOK);
    EXPECT_EQ(WaitForExit(process), std::optional<DWORD>(0));
    if (format) {
      ExpectDiskHolds(raw);
    } else {
      EXPECT_EQ(FloppyFileBytes(), before) << "a disk of another format is left as it was";
    }
  }
}

TEST_F(SelfExtractor, DriveBIsOfferedWhenTheImageAllowsItAndChosenBySlashB) {
  std::string raw = FloppyBytes(kDiskBytes, 10);
  SelfExeSettings options = QuietOptions();
  options.m_driveB = 1;
  std::string image = BuildImage("乙.exe", raw, options);
  struct Case {
    std::vector<std::wstring> arguments;
    int answer;  // 0: no question
    bool onB;
  } cases[] = {{{}, IDYES, true}, {{}, IDNO, false}, {{L"/B"}, 0, true}};
  for (const Case& c : cases) {
    InsertFloppy();
    ASSERT_TRUE(SaveVirtualFloppy(Path("b.vfd"), NewVirtualFloppy({80, 18})));
    std::string a = FloppyFileBytes(), b = ReadWhole(Path("b.vfd"));
    robot::Process& process = Run(image, c.arguments, {{L"DISKELLE_DRIVE_B", WidePath("b.vfd")}});
    if (c.answer != 0) Expect(process, kTextSfxDriveBQuestion, c.answer);
    robot::ClickButton(WaitForCaption(process.Id(), Utf16(options.m_createTitle)), IDOK);
    Expect(process, kTextSfxSuccess, IDOK);
    EXPECT_EQ(WaitForExit(process), std::optional<DWORD>(0));
    EXPECT_EQ(FloppyFileBytes() == a, c.onB) << "drive A: is written only when B: was not chosen";
    EXPECT_EQ(ReadWhole(Path("b.vfd")) == b, !c.onB);
  }
}

TEST_F(SelfExtractor, APictureThatIsNoBitmapGivesWayToTheBuiltInOne) {
  WriteWhole(Path("不是图片.bmp"), "BM but nothing else of a bitmap");
  SelfExeSettings options = QuietOptions();
  options.m_customPicture = 1;
  options.m_picturePath = Path("不是图片.bmp");
  robot::Process& process = Run(BuildImage("坏图.exe", FloppyBytes(kDiskBytes, 13), options));
  Expect(process, kTextSfxPictureFallback, IDOK);
  HWND create = WaitForCaption(process.Id(), Utf16(options.m_createTitle));
  ASSERT_NE(create, nullptr);
  EXPECT_TRUE(Visible(create, IDC_SFX_PICTURE));
  RECT picture = ClientRect(create, IDC_SFX_PICTURE);
  EXPECT_GT(picture.right - picture.left, 0) << "the built-in picture is shown";
  robot::ClickButton(create, IDCANCEL);
  EXPECT_EQ(WaitForExit(process), std::optional<DWORD>(0));
}

// A poster-sized picture is shrunk so that the page and its buttons stay on the screen; a licence of
// megabytes with a line of 60,000 characters appears within a second or two, cut.
TEST_F(SelfExtractor, AHugePictureAndLicenceStillGiveAPageOnTheScreenAtOnce) {
  WriteWhole(Path("poster.bmp"), BitmapFile(2000, 1500));
  SelfExeSettings options = QuietOptions();
  options.m_customPicture = 1;
  options.m_picturePath = Path("poster.bmp");
  options.m_licenseDisplay = 1;
  options.m_licensePicture = 1;
  options.m_licenseText = std::string(60000, 'L') + "\r\n" + std::string(8 * 1024 * 1024, 'x');
  robot::Process& process = Run(BuildImage("海报.exe", FloppyBytes(kDiskBytes, 15), options));
  ULONGLONG start = ::GetTickCount64();
  HWND licence = WaitForCaption(process.Id(), Utf16(options.m_licenseTitle));
  ASSERT_NE(licence, nullptr);
  EXPECT_LT(::GetTickCount64() - start, 10000u) << "the licence page came late";
  EXPECT_LE(Text(licence, IDC_SFX_TEXT).size(), 70000u) << "the licence is cut";
  RECT work{}, window{};
  ASSERT_TRUE(::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0));
  auto onScreen = [&](HWND page) {
    return ::GetWindowRect(page, &window) && window.left >= work.left && window.top >= work.top &&
           window.right <= work.right && window.bottom <= work.bottom;
  };
  EXPECT_TRUE(onScreen(licence));
  RECT picture = ClientRect(licence, IDC_SFX_PICTURE);
  EXPECT_LT(picture.right - picture.left, 2000);
  EXPECT_NEAR((picture.right - picture.left) * 3, (picture.bottom - picture.top) * 4, 8) << "in proportion";
  robot::ClickButton(licence, IDOK);
  HWND create = WaitForCaption(process.Id(), Utf16(options.m_createTitle));
  ASSERT_NE(create, nullptr);
  EXPECT_TRUE(onScreen(create));
  EXPECT_TRUE(Enabled(create, IDOK));
  robot::ClickButton(create, IDCANCEL);
  EXPECT_EQ(WaitForExit(process), std::optional<DWORD>(0));
}

TEST_F(SelfExtractor, ASecondStartBringsTheRunningOneForwardAndEnds) {
  std::string image = BuildImage("两次.exe", FloppyBytes(kDiskBytes, 14), QuietOptions());
  robot::Process& first = Run(image);
  HWND create = WaitForCaption(first.Id(), Utf16(QuietOptions().m_createTitle));
  ASSERT_NE(create, nullptr);
  robot::Process& second = Run(image);
  EXPECT_EQ(WaitForExit(second), std::optional<DWORD>(0));
  EXPECT_FALSE(first.WaitForExit(0).has_value()) << "the first one runs on";
  robot::ClickButton(create, IDCANCEL);
  EXPECT_EQ(WaitForExit(first), std::optional<DWORD>(0));
}

TEST_F(SelfExtractor, TheSystemMenuShowsTheAboutBox) {
  robot::Process& process = Run(BuildImage("关于.exe", FloppyBytes(kDiskBytes, 11), QuietOptions()));
  HWND create = WaitForCaption(process.Id(), Utf16(QuietOptions().m_createTitle));
  ASSERT_NE(create, nullptr);
  // Alt+Space, then the last item: its letter A is taken first by the "About Wine" that Wine adds above it.
  ASSERT_TRUE(robot::OpenMenu(create, L' '));
  ASSERT_TRUE(PressKey(create, VK_END));
  ASSERT_TRUE(PressKey(create, VK_RETURN));
  HWND about = WaitForCaption(process.Id(), L"关于自解压程序");
  ASSERT_NE(about, nullptr);
  EXPECT_EQ(Text(about, IDC_SFX_ABOUT_VERSION), L"自解压程序 2.0");
  EXPECT_EQ(Text(about, IDC_SFX_ABOUT_DATE), L"2002年2月7日");
  robot::ClickButton(about, IDOK);
  ASSERT_TRUE(robot::WaitUntilClosed(about, kWaitMs));
  robot::ClickButton(create, IDCANCEL);
  EXPECT_EQ(WaitForExit(process), std::optional<DWORD>(0));
}

TEST_F(SelfExtractor, ADamagedContainerIsRefusedBeforeTheDiskIsTouched) {
  std::string raw = FloppyBytes(kDiskBytes, 8);
  std::string good = ReadWhole(BuildImage("好.exe", raw, QuietOptions()));
  int64_t stream = FindImageStreamIn(reinterpret_cast<const uint8_t*>(good.data()), good.size());
  ASSERT_GT(stream, 0);
  std::size_t blockAt = good.size() - 2048;

  std::string flipped = good;
  flipped[static_cast<std::size_t>(stream) + 5000] ^= 0x40;
  std::string cut = good.substr(0, good.size() - 3000);
  std::string noBlock = good;
  std::memset(noBlock.data() + blockAt, 'x', 12);
  std::string outside = good;
  SettingsBlock beyond;
  beyond.settings = QuietOptions();
  beyond.instructions = {100, 99999999};
  std::memcpy(outside.data() + blockAt, FormatSettingsBlock(beyond).data(), kSettingsBlockBytes);
  struct Case {
    const char* name;
    const std::string& bytes;
    bool pageFirst;
    const char* message;
  } cases[] = {
      {"flipped byte in the image stream", flipped, true, nullptr},
      {"cut file (into the image stream)", cut, false, TextOf(kTextImageReadFailed)},
      {"damaged settings block", noBlock, false, kTextSfxCannotReadOverlay},
      {"offsets outside the file", outside, false, kTextSfxCannotReadOverlay},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    InsertFloppy();
    std::string before = FloppyFileBytes();
    std::string path = Path(std::string(c.name) + ".exe");
    WriteWhole(path, c.bytes);
    robot::Process& process = Run(path);
    if (c.pageFirst) {
      HWND create = WaitForCaption(process.Id(), Utf16(QuietOptions().m_createTitle));
      ASSERT_NE(create, nullptr);
      robot::ClickButton(create, IDOK);
    }
    HWND box = WaitForMessageBox(process.Id());
    ASSERT_NE(box, nullptr);
    if (c.message) {
      EXPECT_EQ(Text(box, robot::kMessageBoxTextId), Utf16(c.message));
    }
    EXPECT_NE(Text(box, robot::kMessageBoxTextId), Utf16(kTextSfxSuccess));
    Answer(box, IDOK);
    EXPECT_EQ(WaitForExit(process), std::optional<DWORD>(0));
    EXPECT_EQ(FloppyFileBytes(), before) << "the disk must be left as it was";
  }
}

// An .exe image that the POSIX diskelle built with this build's stub runs like one diskelle.exe built.
// scripts/test makes it after both builds and names it in $DISKELLE_POSIX_BUILT_IMAGE, the raw image
// beside it with the extension .img; the ordinary test run leaves this scenario out.
class PosixBuiltImage : public SelfExtractor {};

TEST_F(PosixBuiltImage, RunsAndWritesTheDisk) {
  wchar_t image[MAX_PATH] = {};
  DWORD length = ::GetEnvironmentVariableW(L"DISKELLE_POSIX_BUILT_IMAGE", image, MAX_PATH);
  ASSERT_TRUE(length > 4 && length < MAX_PATH) << "$DISKELLE_POSIX_BUILT_IMAGE names no image";
  std::string path = Utf8(image);
  std::string raw = ReadWhole(path.substr(0, path.size() - 4) + ".img");
  ASSERT_EQ(raw.size(), kDiskBytes);
  InsertFloppy();
  robot::Process& process = Run(path);
  HWND create = WaitForCaption(process.Id(), Utf16(SelfExeSettings().m_createTitle));
  ASSERT_NE(create, nullptr);
  robot::ClickButton(create, IDOK);
  Expect(process, TextOf(kTextConfirmOverwriteDisk), IDYES);
  Expect(process, kTextSfxSuccess, IDOK);
  EXPECT_EQ(WaitForExit(process), std::optional<DWORD>(0));
  ExpectDiskHolds(raw);
}

}  // namespace
}  // namespace scenario
