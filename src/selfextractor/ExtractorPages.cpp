#include "selfextractor/ExtractorPages.h"

#include <cstdlib>

#include "app/CarriedImage.h"
#include "base/ShownText.h"
#include "base/Texts.h"
#include "base/Wide_win32.h"
#include "selfextractor/PageLayout.h"
#include "selfextractor/SelfExtractorRes.h"
#include "ui/WindowJobEvents.h"

namespace {

// A licence or instructions beyond this are cut: the page would take minutes to appear with megabytes.
constexpr std::size_t kMaxPageTextBytes = 64 * 1024;
constexpr int kMarginUnits = 7;
constexpr int kGapUnits = 4;
constexpr int kTextWidthUnits = 219;
constexpr int kSmallestTextUnits = 108;
constexpr int kLineUnits = 12;
constexpr int kButtonWidthUnits = 50;
constexpr int kButtonHeightUnits = 14;

SIZE BitmapSize(HBITMAP bitmap) {
  BITMAP info{};
  if (!bitmap || !::GetObjectW(bitmap, sizeof info, &info)) return {0, 0};
  return {info.bmWidth, std::abs(info.bmHeight)};
}

void Place(HWND control, const PageBox& box) {
  ::SetWindowPos(control, nullptr, box.x, box.y, box.width, box.height, SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

ExtractorInstanceChecker::ExtractorInstanceChecker() : CInstanceChecker(L"Diskelle.SelfExtractor.Startup") {}

std::wstring ExtractorInstanceChecker::MappingName() const {
  return L"CInstanceChecker_MMF_" + Wide(kTextSfxTitle);
}

void ExtractorInstanceChecker::Publish(HWND window) {
  window_ = window;
  PublishWindow();
}

CPicturePage::CPicturePage(int templateId, const DialogContext& context, ExtractorInstanceChecker& checker,
                           PageContent content)
    : CMyDialog(templateId, context), checker_(checker), content_(std::move(content)) {}

CPicturePage::~CPicturePage() {
  if (scaledPicture_) ::DeleteObject(scaledPicture_);
}

bool CPicturePage::OnInitDialog() {
  CMyDialog::OnInitDialog();
  checker_.Publish(Window());
  ::SetWindowTextW(Window(), Wide(content_.title).c_str());
  SetItemText(IDC_SFX_TEXT, BoundForControl(content_.text, kMaxPageTextBytes));
  if (content_.customPicture) {
    ::SendDlgItemMessageW(Window(), IDC_SFX_PICTURE, STM_SETIMAGE, IMAGE_BITMAP,
                          reinterpret_cast<LPARAM>(content_.customPicture));
  }
  if (Item(IDC_SFX_DESCRIPTION)) SetItemText(IDC_SFX_DESCRIPTION, content_.description);
  LayOut();
  // On the button, not in the text, which would show all of itself selected.
  ::SetFocus(Item(IDOK));
  return false;
}

void CPicturePage::LayOut() {
  RECT units{kMarginUnits, kGapUnits, kTextWidthUnits, kSmallestTextUnits};
  ::MapDialogRect(Window(), &units);
  RECT more{kLineUnits, kButtonWidthUnits, kButtonHeightUnits, 0};
  ::MapDialogRect(Window(), &more);
  HBITMAP shown = reinterpret_cast<HBITMAP>(::SendDlgItemMessageW(Window(), IDC_SFX_PICTURE, STM_GETIMAGE, IMAGE_BITMAP, 0));
  SIZE picture = BitmapSize(shown);
  PageMetrics metrics{picture.cx, picture.cy, units.left, units.top, units.right, units.bottom,
                      more.left, more.top, more.right};
  if (content_.showPicture) FitPictureToScreen(metrics);
  bool description = Item(IDC_SFX_DESCRIPTION) && !content_.description.empty();
  PageLayout layout = LayOutPage(metrics, content_.showPicture, description);

  ::ShowWindow(Item(IDC_SFX_PICTURE), content_.showPicture ? SW_SHOW : SW_HIDE);
  if (content_.showPicture) Place(Item(IDC_SFX_PICTURE), layout.picture);
  if (HWND line = Item(IDC_SFX_DESCRIPTION)) {
    ::ShowWindow(line, description ? SW_SHOW : SW_HIDE);
    if (description) Place(line, layout.description);
  }
  Place(Item(IDC_SFX_TEXT), layout.text);
  Place(Item(IDOK), layout.ok);
  Place(Item(IDCANCEL), layout.cancel);

  RECT frame{0, 0, layout.clientWidth, layout.clientHeight};
  ::AdjustWindowRectEx(&frame, static_cast<DWORD>(::GetWindowLongPtrW(Window(), GWL_STYLE)), FALSE,
                       static_cast<DWORD>(::GetWindowLongPtrW(Window(), GWL_EXSTYLE)));
  ::SetWindowPos(Window(), nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
  CenterOverOwner();
}

// A picture too large for the screen is shown shrunk, so that the buttons stay reachable.
void CPicturePage::FitPictureToScreen(PageMetrics& metrics) {
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  if (!::GetMonitorInfoW(::MonitorFromWindow(Window(), MONITOR_DEFAULTTONEAREST), &monitor)) return;
  RECT frame{0, 0, 0, 0};
  ::AdjustWindowRectEx(&frame, static_cast<DWORD>(::GetWindowLongPtrW(Window(), GWL_STYLE)), FALSE,
                       static_cast<DWORD>(::GetWindowLongPtrW(Window(), GWL_EXSTYLE)));
  const RECT& work = monitor.rcWork;
  PageBox fitted = FitPicture(metrics, (work.right - work.left) - (frame.right - frame.left),
                              (work.bottom - work.top) - (frame.bottom - frame.top));
  if (fitted.width == metrics.pictureWidth && fitted.height == metrics.pictureHeight) return;
  HBITMAP shown = reinterpret_cast<HBITMAP>(::SendDlgItemMessageW(Window(), IDC_SFX_PICTURE, STM_GETIMAGE, IMAGE_BITMAP, 0));
  HBITMAP scaled = static_cast<HBITMAP>(::CopyImage(shown, IMAGE_BITMAP, fitted.width, fitted.height, 0));
  if (!scaled) return;
  if (scaledPicture_) ::DeleteObject(scaledPicture_);
  scaledPicture_ = scaled;
  ::SendDlgItemMessageW(Window(), IDC_SFX_PICTURE, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(scaled));
  metrics.pictureWidth = fitted.width;
  metrics.pictureHeight = fitted.height;
}

CCreatePage::CCreatePage(const DialogContext& context, ExtractorInstanceChecker& checker, PageContent content,
                         CImageInfo& image, const WriteRequest& request)
    : CPicturePage(IDD_SFX_CREATE, context, checker, std::move(content)), image_(image), request_(request) {}

bool CCreatePage::OnInitDialog() {
  bool focusToFirst = CPicturePage::OnInitDialog();
  if (HMENU menu = ::GetSystemMenu(Window(), FALSE)) {
    ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(menu, MF_STRING, IDM_SFX_ABOUT, Wide(kTextSfxAboutMenu).c_str());
  }
  HICON icon = ::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_SFX_ICON));
  ::SendMessageW(Window(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
  return focusToFirst;
}

std::optional<LRESULT> CCreatePage::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (std::optional<JobEvent> event = JobEventOfMessage(message, wParam)) {
    if (progressDlg_) {
      if (event->Ends()) jobEnded_ = true;
      progressDlg_->OnJobEvent(*event);
    }
    return 0;
  }
  if (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == IDM_SFX_ABOUT) {
    CMyDialog about(IDD_SFX_ABOUT, Context());
    about.RunModal(Window());
    return 0;
  }
  return CPicturePage::WindowProc(message, wParam, lParam);
}

void CCreatePage::OnOK() {
  const SelfExeSettings& options = request_.block.settings;
  if (options.m_overwriteDialog && !AskYesNo(request_.boxes, kTextConfirmOverwriteDisk)) return;
  if (RunWrite() == 1) {
    if (options.m_successDialog) request_.boxes.Show(0, kTextSfxSuccess, MessageIcon::Information);
    if (options.m_restartDialog &&
        request_.boxes.Show(0, kTextSfxRestartQuestion, MessageIcon::Question) == MessageAnswer::Yes) {
      request_.restart.Restart();
    }
  }
  End(IDOK);
}

INT_PTR CCreatePage::RunWrite() {
  progress_.Reset();
  AppSettings settings = WriteJobSettings(request_.block.settings, request_.drive);
  DiskJobEnvironment environment{settings,        request_.block.settings, request_.ntMajorVersion, request_.boxes,
                                 request_.devices, request_.clock,          image_.m_path};
  WindowJobEvents events(Window());
  CProgressDlg dialog(Context(), progress_);
  progressDlg_ = &dialog;
  jobEnded_ = false;
  INT_PTR result = -1;
  {
    CDiskWriteJob job(environment, image_, progress_);
    job.Start(events);
    result = dialog.RunModal(Window());
    // A window that failed before the job ended leaves nobody to cancel it: stop it before waiting for it.
    if (!jobEnded_) progress_.cancelRequested = true;
  }
  progressDlg_ = nullptr;
  return jobEnded_ && result == 1 ? 1 : -1;
}
