#include "win32/MainDlg.h"

#include <shellapi.h>

#include <utility>

#include "base/File.h"
#include "base/Texts.h"
#include "settings/Settings.h"
#include "ui/WideText.h"
#include "ui/WindowJobEvents.h"
#include "win32/DroppedFiles.h"
#include "win32/MainDlgRes.h"
#include "win32/RegistryPlacementStore.h"

namespace {

// Where the read and write pictures are painted, in design pixels (client coordinates).
constexpr int kPictureLeft = 32;
constexpr int kReadPictureTop = 33;
constexpr int kWritePictureTop = 157;
constexpr int kPictureWidth = 32;
constexpr int kPictureHeight = 76;
constexpr COLORREF kPictureTransparent = RGB(255, 255, 255);

}  // namespace

CMainDlg::CMainDlg(Application& application, MainWindowFront& front, WindowsMessageBoxes& boxes,
                   std::vector<std::string> arguments)
    : CMyDialog(IDD_MAIN, DialogContext{application.settings.m_toolTips, application.settings.m_windowFx,
                                              application.Services().platform.ntMajorVersion == 4}),
      application_(application),
      front_(front),
      windowsBoxes_(boxes),
      arguments_(std::move(arguments)),
      applicationIcon_(LoadProgramIcon(IDR_MAIN, 0, 0)),
      smallIcon_(LoadProgramIcon(IDR_MAIN, ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON))),
      readPicture_(LoadProgramBitmap(IDB_READ_PICTURE)),
      writePicture_(LoadProgramBitmap(IDB_WRITE_PICTURE)) {}

bool CMainDlg::OnInitDialog() {
  CMyDialog::OnInitDialog();
  ComputeLayoutScale(kDesignWidth, kDesignHeight);
  instanceChecker_.PublishWindow();
  RegistryPlacementStore placement(Registry(), kInitKey);
  RestoreWindowPlacement(placement, true, true);
  accelerators_ = ::LoadAcceleratorsW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAIN));
  front_.Attach(*this);
  windowsBoxes_.SetOwner(Window());
  display_.ResetFields();
  display_.ApplyAdvancedMode();
  ::SendMessageW(Window(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(applicationIcon_.Get()));
  ::SendMessageW(Window(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_.Get()));
  RunCommandLine();
  return true;
}

void CMainDlg::RunCommandLine() {
  BusyScope busy(busy_);
  decision_ = application_.RunCommandLine(arguments_);
  if (!decision_.interactive) End(decision_.dialogResult);
}

bool CMainDlg::PreTranslateMessage(MSG& message) {
  if (message.message == WM_KEYDOWN && message.wParam == VK_ESCAPE) return true;
  if (message.message == WM_KEYDOWN && message.wParam == VK_RETURN) {
    HWND focus = ::GetFocus();
    int id = focus && ::IsChild(Window(), focus) ? ::GetDlgCtrlID(focus) : 0;
    if (id == IDC_TARGET_PATH || id == IDC_SOURCE_PATH || id == IDC_SOURCE_DESCRIPTION) return true;
    // The read button becomes the default button and takes the key through the dialog's own handling.
    if (id == IDC_TARGET_DESCRIPTION) display_.FocusItem(IDC_READ_START);
  }
  if (accelerators_ && ::TranslateAcceleratorW(Window(), accelerators_, &message)) return true;
  return CMyDialog::PreTranslateMessage(message);
}

std::optional<LRESULT> CMainDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (std::optional<JobEvent> event = JobEventOfMessage(message, wParam)) {
    front_.OnJobEvent(*event);
    return 0;
  }
  std::optional<LRESULT> handled;
  switch (message) {
    case WM_DROPFILES:
      OnDropFiles(reinterpret_cast<HDROP>(wParam));
      handled = 0;
      break;
    case WM_COPYDATA:
      handled = OnCopyData(*reinterpret_cast<const COPYDATASTRUCT*>(lParam));
      break;
    case WM_PAINT:
      Paint();
      handled = 0;
      break;
    case WM_QUERYDRAGICON:
      handled = reinterpret_cast<LRESULT>(applicationIcon_.Get());
      break;
    case WM_DESTROY:
      OnDestroy();
      break;
    default:
      break;
  }
  std::optional<LRESULT> base = CMyDialog::WindowProc(message, wParam, lParam);
  return handled ? handled : base;
}

LRESULT CMainDlg::OnCopyData(const COPYDATASTRUCT& data) {
  std::string path = HandoverText(data);
  // An operation in progress works on the current image: replacing it now would read into or write from
  // another file than the one the user chose.
  if (busy_ || !File::Open(path, FileMode::Read)) {
    ShowMessage(Boxes(), MessageIcon::None, kTextCloseFirstInstance);
    return FALSE;
  }
  return OpenAsSource(path) ? TRUE : FALSE;
}

void CMainDlg::OnDropFiles(HDROP drop) {
  std::string path = FirstDroppedFile(drop);
  if (!path.empty() && !busy_) OpenAsSource(path);
}

void CMainDlg::Paint() {
  PAINTSTRUCT paint;
  HDC dc = ::BeginPaint(Window(), &paint);
  if (::IsIconic(Window())) {
    RECT client;
    ::GetClientRect(Window(), &client);
    int x = (client.right - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
    int y = (client.bottom - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
    ::DrawIcon(dc, x, y, applicationIcon_.Get());
  } else if (HDC pictures = ::CreateCompatibleDC(dc)) {
    const std::pair<HBITMAP, int> pictureTops[] = {{readPicture_.Get(), kReadPictureTop},
                                                   {writePicture_.Get(), kWritePictureTop}};
    for (auto [bitmap, top] : pictureTops) {
      if (!bitmap) continue;
      HGDIOBJ previous = ::SelectObject(pictures, bitmap);
      ::GdiTransparentBlt(dc, display_.ScaledX(kPictureLeft), display_.ScaledY(top), display_.ScaledX(kPictureWidth),
                          display_.ScaledY(kPictureHeight), pictures, 0, 0, kPictureWidth, kPictureHeight,
                          kPictureTransparent);
      ::SelectObject(pictures, previous);
    }
    ::DeleteDC(pictures);
  }
  ::EndPaint(Window(), &paint);
}

void CMainDlg::OnDestroy() {
  RegistryPlacementStore placement(Registry(), kInitKey);
  SaveWindowPlacement(placement, true, true);
  StoreSettings(Registry(), application_.settings, {"LastUsedExt"});
  display_.SetFormIcon(nullptr);
  windowsBoxes_.SetOwner(nullptr);
}

bool CMainDlg::OpenAsSource(const std::string& path) { return application_.OpenAsSource(path); }
