#include "SelfExtractorShowcase_win32.h"

#include <deque>
#include <map>

#include "base/Texts.h"
#include "floppy/FloppyFixtures.h"
#include "settings/Settings.h"
#include "support/ImageTestSupport.h"

namespace scenario {
namespace {

std::deque<robot::Process> started;

struct PageOptions {
  DWORD licence, licencePicture, createPicture, customPicture;
  bool poster = false;  // a picture far larger than the screen
};

// A picture of the image's author: width x height pixels of colour.
std::string AuthorsPicture(uint32_t width, uint32_t height) {
  const uint32_t row = (width * 3 + 3) / 4 * 4;
  std::string file(54 + row * height, '\0');
  auto put = [&file](std::size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) file[at + i] = static_cast<char>(value >> (8 * i));
  };
  file[0] = 'B';
  file[1] = 'M';
  put(2, static_cast<uint32_t>(file.size()));
  put(10, 54);
  put(14, 40);
  put(18, width);
  put(22, height);
  put(26, 1 | 24 << 16);
  for (uint32_t y = 0; y < height; ++y) {
    for (uint32_t x = 0; x < width; ++x) {
      std::size_t at = 54 + y * row + x * 3;
      file[at] = static_cast<char>(x * 2);
      file[at + 1] = static_cast<char>(y);
      file[at + 2] = static_cast<char>(160);
    }
  }
  return file;
}

void Store(const wchar_t* name, DWORD value) {
  ::RegSetKeyValueW(HKEY_CURRENT_USER, Utf16(kSelfExeKey).c_str(), name, REG_DWORD, &value, sizeof value);
}

void Store(const wchar_t* name, const std::string& text) {
  std::wstring wide = Utf16(text);
  ::RegSetKeyValueW(HKEY_CURRENT_USER, Utf16(kSelfExeKey).c_str(), name, REG_SZ, wide.c_str(),
                    static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t)));
}

}  // namespace

HWND ShowSelfExtractorPage(Workspace& workspace, const std::string& name) {
  static const std::map<std::string, PageOptions> pages = {
      {"sfx-licence", {1, 1, 1, 1}},        {"sfx-licence-plain", {1, 0, 0, 0}}, {"sfx-create", {0, 0, 1, 1}},
      {"sfx-create-builtin", {0, 0, 1, 0}}, {"sfx-create-plain", {0, 0, 0, 0}},
      {"sfx-create-poster", {0, 0, 1, 1, true}},
  };
  auto page = pages.find(name);
  if (page == pages.end()) return nullptr;
  WriteWhole(workspace.Path("作者.bmp"), page->second.poster ? AuthorsPicture(2000, 1500) : AuthorsPicture(120, 160));
  Store(L"LicenseDisplay", page->second.licence);
  Store(L"LicensePicture", page->second.licencePicture);
  Store(L"CreatePicture", page->second.createPicture);
  Store(L"CustomPicture", page->second.customPicture);
  Store(L"PicturePath", workspace.Path("作者.bmp"));
  Store(L"LicenseText", "第一条：本软件按原样提供。\r\n第二条：请勿用于非法用途。");
  std::string image = workspace.MakeImage("示例.img", FloppyBytes(1474560, 98), "示例 磁盘 2002");
  robot::Process& build = workspace.Start({L"/c", L"/i", Utf16(image), L"/o", workspace.WidePath("示例.exe")});
  if (workspace.WaitForExit(build) != std::optional<DWORD>(0)) return nullptr;
  std::optional<robot::Process> process =
      robot::Process::Start(workspace.WidePath("示例.exe"), {}, {{L"DISKELLE_DRIVE_A", workspace.WidePath("a.vfd")}});
  if (!process) return nullptr;
  started.push_back(std::move(*process));
  SelfExeSettings defaults;
  std::string caption = page->second.licence ? defaults.m_licenseTitle : defaults.m_createTitle;
  return WaitForCaption(started.back().Id(), Utf16(caption));
}

void EndSelfExtractors() {
  for (const robot::Process& process : started) {
    process.Kill();
    process.WaitForExit(kWaitMs);
  }
  started.clear();
}

}  // namespace scenario
