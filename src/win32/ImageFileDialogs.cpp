#include "win32/ImageFileDialogs.h"

#include <commdlg.h>

#include <algorithm>
#include <vector>

#include "base/File.h"
#include "base/Format.h"
#include "base/Texts.h"
#include "image/ImageInfo.h"
#include "image/forms/ImageForm.h"
#include "ui/WideText.h"
#include "win32/MainDlgRes.h"

namespace {

constexpr DWORD kPathCharacters = 261;
constexpr int kPreviewPathCharacters = 260;
// The preview text keeps this distance to the right edge of the (wide) open dialog, in pixels.
constexpr int kPreviewRightMargin = 317;
constexpr int kPreviewMinWidth = 246;

// Windows 2000 and Me know the larger structure (and show the places bar for it).
bool LargeStructure(const PlatformInfo& platform) { return platform.ntMajorVersion > 4 || platform.isWindowsMe == 1; }

// name\0pattern\0 ... \0
std::wstring Filter(const std::vector<std::pair<std::string, std::string>>& pairs) {
  std::wstring filter;
  for (const auto& [name, pattern] : pairs) {
    filter += Wide(name) + L'\0' + Wide(pattern) + L'\0';
  }
  return filter + L'\0';
}

// "*.imz; *.img" for the dialog, "*.imz,*.img" for a name; each extension once.
std::string Patterns(const std::vector<const ImageForm*>& forms, const char* separator) {
  std::vector<std::string_view> seen;
  std::string patterns;
  for (const ImageForm* form : forms) {
    for (std::string_view extension : form->extensions) {
      if (std::find(seen.begin(), seen.end(), extension) != seen.end()) continue;
      seen.push_back(extension);
      patterns += (patterns.empty() ? "*" : std::string(separator) + "*") + std::string(extension);
    }
  }
  return patterns;
}

struct OpenHookState {
  IMessageBoxes* boxes;
  bool large;
};

void ShowPreview(HWND hook, const OpenHookState& state) {
  wchar_t path[kPreviewPathCharacters] = {};
  auto length = static_cast<int>(::SendMessageW(::GetParent(hook), CDM_GETFILEPATH, kPreviewPathCharacters,
                                                reinterpret_cast<LPARAM>(path)));
  std::string description;
  bool shown = length > 0 && length <= kPreviewPathCharacters &&
               ReadDescriptionOnly(Narrow(path), description, *state.boxes) == DescriptionPreview::Shown;
  if (shown) WriteWindowText(::GetDlgItem(hook, IDC_PREVIEW_TEXT), description);
  ::ShowWindow(::GetDlgItem(hook, IDC_PREVIEW_LABEL), shown ? SW_SHOW : SW_HIDE);
  ::ShowWindow(::GetDlgItem(hook, IDC_PREVIEW_TEXT), shown ? SW_SHOW : SW_HIDE);
}

void FitPreview(HWND hook) {
  HWND text = ::GetDlgItem(hook, IDC_PREVIEW_TEXT);
  RECT dialog, rect;
  ::GetWindowRect(hook, &dialog);
  ::GetWindowRect(text, &rect);
  int width = dialog.right - dialog.left - kPreviewRightMargin;
  if (width < kPreviewMinWidth) width = kPreviewMinWidth;
  ::SetWindowPos(text, nullptr, 0, 0, width, rect.bottom - rect.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Returns 0 for every message: the system dialog does its normal processing.
UINT_PTR CALLBACK OpenHook(HWND hook, UINT message, WPARAM, LPARAM lParam) {
  try {
    if (message == WM_INITDIALOG) {
      ::SetWindowLongPtrW(hook, DWLP_USER, static_cast<LONG_PTR>(reinterpret_cast<OPENFILENAMEW*>(lParam)->lCustData));
      return 0;
    }
    auto* state = reinterpret_cast<const OpenHookState*>(::GetWindowLongPtrW(hook, DWLP_USER));
    if (!state) return 0;
    if (message == WM_SIZE && state->large) FitPreview(hook);
    if (message == WM_NOTIFY && reinterpret_cast<const NMHDR*>(lParam)->code == CDN_SELCHANGE) ShowPreview(hook, *state);
  } catch (...) {
    // Nothing may cross into the system dialog; the preview simply stays as it was.
  }
  return 0;
}

UINT_PTR CALLBACK SaveHook(HWND, UINT, WPARAM, LPARAM) { return 0; }

OPENFILENAMEW BaseStructure(HWND owner, const PlatformInfo& platform, std::vector<wchar_t>& buffer) {
  OPENFILENAMEW dialog{};
  dialog.lStructSize = LargeStructure(platform) ? sizeof(OPENFILENAMEW) : OPENFILENAME_SIZE_VERSION_400W;
  dialog.hwndOwner = owner;
  dialog.hInstance = ::GetModuleHandleW(nullptr);
  dialog.lpstrFile = buffer.data();
  dialog.nMaxFile = kPathCharacters;
  dialog.lpstrDefExt = L"imz";
  return dialog;
}

}  // namespace

int RunOpenImageDialog(HWND owner, const PlatformInfo& platform, IMessageBoxes& boxes, std::string& path) {
  std::vector<wchar_t> buffer(kPathCharacters, L'\0');
  const std::vector<const ImageForm*> all(ImageForms().begin(), ImageForms().end());
  std::wstring filter = Filter({{FormatText(kTextOpenFilterImages, {Patterns(all, ",")}), Patterns(all, "; ")},
                                {kTextOpenFilterAll, "*.*"}});
  std::wstring title = Wide(kTextOpenImageTitle);
  OpenHookState state{&boxes, LargeStructure(platform)};
  OPENFILENAMEW dialog = BaseStructure(owner, platform, buffer);
  dialog.lpstrFilter = filter.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrTitle = title.c_str();
  dialog.Flags = OFN_HIDEREADONLY | OFN_ENABLEHOOK | OFN_ENABLETEMPLATE | OFN_FILEMUSTEXIST | OFN_EXPLORER |
                 OFN_ENABLESIZING;
  dialog.lpfnHook = &OpenHook;
  dialog.lpTemplateName = MAKEINTRESOURCEW(state.large ? IDD_OPEN_PREVIEW_WIDE : IDD_OPEN_PREVIEW_NARROW);
  dialog.lCustData = reinterpret_cast<LPARAM>(&state);
  if (!::GetOpenFileNameW(&dialog)) return -1;
  path = Narrow(buffer.data());
  return 0;
}

int RunSaveImageDialog(HWND owner, const PlatformInfo& platform, IMessageBoxes& boxes, uint32_t filterIndex,
                       std::string& path) {
  std::vector<wchar_t> buffer(kPathCharacters, L'\0');
  std::vector<std::pair<std::string, std::string>> offered;
  for (const ImageForm* form : ImageForms()) {
    if (form->Writable()) offered.emplace_back(form->description, Patterns({form}, "; "));
  }
  std::wstring filter = Filter(offered);
  std::wstring title = Wide(kTextSaveImageTitle);
  OPENFILENAMEW dialog = BaseStructure(owner, platform, buffer);
  dialog.lpstrFilter = filter.c_str();
  dialog.nFilterIndex = filterIndex;
  dialog.lpstrTitle = title.c_str();
  // The system neither asks about replacing nor checks the path: the questions below do.
  dialog.Flags = OFN_HIDEREADONLY | OFN_ENABLEHOOK | OFN_EXPLORER | OFN_ENABLESIZING;
  dialog.lpfnHook = &SaveHook;
  if (!::GetSaveFileNameW(&dialog)) return -1;
  std::string chosen = Narrow(buffer.data());
  if (File::Open(chosen, FileMode::Read)) {
    if (IsReadOnlyFile(chosen)) {
      ShowError(boxes, kTextFileReadOnly, {chosen});
      return -1;
    }
    if (!AskYesNo(boxes, kTextFileExistsReplace, {chosen})) return -1;
  }
  path = chosen;
  return 0;
}

int RunOpenPictureDialog(HWND owner, const PlatformInfo& platform, std::string& path) {
  constexpr DWORD kPictureCharacters = 260;
  std::vector<wchar_t> buffer(kPathCharacters, L'\0');
  std::wstring filter = Filter({{kTextOpenFilterBmp, "*.bmp"}, {kTextOpenFilterAll, "*.*"}});
  std::wstring title = Wide(kTextOpenImageTitle);
  OPENFILENAMEW dialog = BaseStructure(owner, platform, buffer);
  dialog.nMaxFile = kPictureCharacters;
  dialog.lpstrFilter = filter.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrTitle = title.c_str();
  dialog.lpstrDefExt = L"bmp";
  dialog.Flags = OFN_HIDEREADONLY | OFN_FILEMUSTEXIST | OFN_EXPLORER | OFN_ENABLESIZING;
  if (!::GetOpenFileNameW(&dialog)) return -1;
  path = Narrow(buffer.data());
  return 0;
}
