#include "ui/MyDialog.h"

#include "ui/DialogTemplate.h"
#include "ui/ModalLoop.h"
#include "ui/WindowPlacement.h"

namespace {

constexpr int kMaxPart = 100;

}  // namespace

CMyDialog::CMyDialog(int templateId, const DialogContext& context)
    : templateId_(templateId), context_(context), fader_(context.windowFx) {}

CMyDialog::~CMyDialog() {
  if (Window()) ::DestroyWindow(Window());
}

INT_PTR CMyDialog::RunModal(HWND owner) {
  if (running_ || Window()) return kDialogFailed;
  HINSTANCE module = ::GetModuleHandleW(nullptr);
  std::vector<uint8_t> dialogTemplate = LoadHiddenDialogTemplate(module, templateId_);
  if (dialogTemplate.empty()) return kDialogFailed;
  HWND root = owner ? ::GetAncestor(owner, GA_ROOT) : nullptr;
  ended_ = false;
  result_ = kDialogFailed;
  running_ = true;
  HWND window = ::CreateDialogIndirectParamW(module, reinterpret_cast<const DLGTEMPLATE*>(dialogTemplate.data()),
                                             root, &DialogWindow::DialogProcedure, reinterpret_cast<LPARAM>(this));
  if (window) {
    OwnerDisabler disabler(root);
    if (!ended_) {
      ::ShowWindow(window, SW_SHOWNORMAL);
      if (!RunModalLoop([this] { return ended_; }, [window](MSG& m) { return ::IsDialogMessageW(window, &m) != 0; })) {
        result_ = kDialogFailed;
      }
    }
    disabler.Release();
    ::DestroyWindow(window);
  }
  running_ = false;
  return result_;
}

void CMyDialog::End(INT_PTR result) {
  if (ended_) return;
  ended_ = true;
  result_ = result;
}

bool CMyDialog::PreTranslateMessage(MSG& message) {
  appearance_.PreTranslate(Window(), message, toolTipsEnabled_ && context_.toolTips != 0);
  return false;
}

std::optional<LRESULT> CMyDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  fader_.OnMessage(Window(), message, wParam);
  if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
    if (LOWORD(wParam) == IDOK) {
      OnOK();
      return 0;
    }
    if (LOWORD(wParam) == IDCANCEL) {
      OnCancel();
      return 0;
    }
  }
  return DialogWindow::WindowProc(message, wParam, lParam);
}

bool CMyDialog::OnInitDialog() {
  HWND window = Window();
  resizer_.Create(window, true, kMaxPart);
  resizer_.SetMinimumTrackingSize();
  resizer_.SetGripEnabled(true);
  resizer_.SetEnabled(false);
  fader_.Attach(window, WindowFader::kMinAlpha, WindowFader::kMaxAlpha, WindowFader::kStepDelayMs);
  if (::GetParent(window) && (offsetX_ || offsetY_)) {
    RECT rect;
    ::GetWindowRect(window, &rect);
    ::SetWindowPos(window, nullptr, rect.left + offsetX_, rect.top + offsetY_, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  appearance_.Apply(window, context_);
  return true;
}

void CMyDialog::ComputeLayoutScale(int designWidth, int designHeight) {
  RECT rect;
  if (!::GetWindowRect(Window(), &rect) || designWidth <= 0 || designHeight <= 0) return;
  scaleX_ = static_cast<float>(rect.right - rect.left) / static_cast<float>(designWidth);
  scaleY_ = static_cast<float>(rect.bottom - rect.top) / static_cast<float>(designHeight);
}

void CMyDialog::SaveWindowPlacement(IPlacementStore& store, bool position, bool size) const {
  ::SaveWindowPlacement(Window(), store, position, size);
}

void CMyDialog::RestoreWindowPlacement(IPlacementStore& store, bool position, bool size) {
  ::RestoreWindowPlacement(Window(), store, position, size);
}

void CMyDialog::ApplyWindowFx() { fader_.Apply(Window(), context_.windowFx != 0); }

void CMyDialog::CenterOverOwner() {
  HWND window = Window();
  RECT area, rect;
  HWND owner = ::GetWindow(window, GW_OWNER);
  if (!owner || !::IsWindowVisible(owner) || !::GetWindowRect(owner, &area)) {
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  }
  ::GetWindowRect(window, &rect);
  int width = rect.right - rect.left, height = rect.bottom - rect.top;
  int left = area.left + (area.right - area.left - width) / 2;
  int top = area.top + (area.bottom - area.top - height) / 2;
  ::SetWindowPos(window, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
