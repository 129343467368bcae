// The self-extractor: the program at the head of every self-extracting image. It checks the image it
// carries, reads the options its author chose, shows the licence and create pages and writes the image to
// the floppy. Any failure before the pages ends it untouched.
#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/CarriedImage.h"
#include "app/Platform.h"
#include "base/Clock.h"
#include "base/Environment.h"
#include "base/File.h"
#include "base/Texts.h"
#include "base/WindowsMessageBoxes.h"
#include "floppy/FloppyDrives.h"
#include "image/forms/ImageForm.h"
#include "selfextractor/ExtractorPages.h"
#include "selfextractor/SelfExtractorRes.h"
#include "ui/ProgramArguments.h"

namespace {

// The picture as a bitmap of the screen; IsUsableBitmap has checked every size in it.
HBITMAP BitmapOfFile(const std::vector<uint8_t>& file) {
  BITMAPFILEHEADER header;
  std::memcpy(&header, file.data(), sizeof header);
  std::size_t infoBytes = header.bfOffBits - sizeof header;
  std::vector<uint32_t> info((infoBytes + 3) / 4);  // aligned for the headers' fields
  std::memcpy(info.data(), file.data() + sizeof header, infoBytes);
  auto* bitmapInfo = reinterpret_cast<const BITMAPINFO*>(info.data());
  HDC screen = ::GetDC(nullptr);
  HBITMAP bitmap = ::CreateDIBitmap(screen, &bitmapInfo->bmiHeader, CBM_INIT, file.data() + header.bfOffBits,
                                    bitmapInfo, DIB_RGB_COLORS);
  ::ReleaseDC(nullptr, screen);
  return bitmap;
}

bool DriveBPresent() {
  return VirtualDriveFile(ProcessEnvironment, 'B').has_value() || ::GetDriveTypeW(L"B:\\") == DRIVE_REMOVABLE;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
  ::InitCommonControlsEx(&controls);
  WindowsMessageBoxes boxes(kTextSfxTitle);
  PlatformInfo platform = DetectPlatform();
  const std::string ownPath = OwnProgramPath();

  CImageInfo image;
  if (CheckCarriedImage(ownPath, image, boxes) != 0) return 0;
  std::optional<SettingsBlock> block = ReadOwnSettings(ownPath, boxes);
  if (!block) return 0;
  const SelfExeSettings& options = block->settings;
  if (OnFloppyDrive(ownPath)) {
    boxes.Show(0, kTextSfxImageOnFloppy, MessageIcon::Error);
    return 0;
  }

  std::vector<std::string> arguments = ProgramArguments();
  if (!arguments.empty()) arguments.erase(arguments.begin());
  std::string drive = ArgumentsAskDriveB(arguments) ? "B:" : "A:";
  if (options.m_driveB && drive == "A:" && DriveBPresent() &&
      boxes.Show(0, kTextSfxDriveBQuestion, MessageIcon::Question) == MessageAnswer::Yes) {
    drive = "B:";
  }

  HBITMAP picture = nullptr;
  if (options.m_customPicture) {
    CarriedPicture carried = ExtractPicture(ownPath, block->picture, boxes);
    if (carried.fatal) return 0;
    if (!carried.bytes.empty()) picture = BitmapOfFile(carried.bytes);
    if (!carried.bytes.empty() && !picture) boxes.Show(0, kTextSfxPictureFallback, MessageIcon::Information);
  }
  std::optional<std::string> instructions = ReadCarriedText(ownPath, block->instructions, boxes);
  if (!instructions) return 0;

  const uint32_t toolTips = 0;
  DialogContext context{toolTips, options.m_windowFx, platform.ntMajorVersion == 4};
  ExtractorInstanceChecker checker;
  checker.WaitForStartupLock();
  if (checker.OtherInstanceExists()) {
    checker.ActivateOtherInstance("");
    return 0;
  }
  if (options.m_licenseDisplay) {
    std::optional<std::string> licence = ReadCarriedText(ownPath, block->licence, boxes);
    if (!licence) return 0;
    CPicturePage licencePage(IDD_SFX_LICENCE, context, checker,
                             {picture, options.m_licensePicture != 0, options.m_licenseTitle, *licence, {}});
    if (licencePage.RunModal(nullptr) != IDOK) return 0;
  }

  DevicePath devicePath = DevicePathFor(platform.ntMajorVersion);
  FloppyDrives devices(ProcessEnvironment, SystemFloppyDevices(devicePath), devicePath);
  SystemClock clock;
  std::unique_ptr<ISystemRestart> restart = MakeSystemRestart(platform.ntMajorVersion != 0);
  WriteRequest request{*block, drive, platform.ntMajorVersion, boxes, devices, clock, *restart};
  std::string description = options.m_createDescription ? image.m_description : std::string();
  CCreatePage createPage(context, checker,
                         {picture, options.m_createPicture != 0, options.m_createTitle, *instructions, description},
                         image, request);
  createPage.RunModal(nullptr);
  if (picture) ::DeleteObject(picture);
  return 0;
}

// The library's default handler demangles the name of an uncaught exception's type, which alone would take a
// tenth of the room the program has; an uncaught exception ends it all the same.
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx
