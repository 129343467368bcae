#include "ui/DialogWindow.h"

#include <commctrl.h>
#include <prsht.h>

#include "ui/WideText.h"

namespace {

constexpr ATOM kDialogClassAtom = 32770;

// Messages whose result the dialog procedure returns itself instead of through DWLP_MSGRESULT.
bool ReturnsDirectly(UINT message) {
  switch (message) {
    case WM_INITDIALOG:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
      return true;
    default:
      return false;
  }
}

}  // namespace

std::string DialogWindow::ItemText(int id) const { return ReadWindowText(Item(id)); }

BOOL DialogWindow::SetItemText(int id, std::string_view text) const { return WriteWindowText(Item(id), text); }

bool DialogWindow::PreTranslateMessage(MSG&) { return false; }

void DialogWindow::ReflectNotifications(HWND control, NotificationHandler handler) {
  if (handler) {
    reflected_[control] = std::move(handler);
  } else {
    reflected_.erase(control);
  }
}

DialogWindow* DialogWindow::FromWindow(HWND window) {
  if (!window || ::GetClassLongPtrW(window, GCW_ATOM) != kDialogClassAtom) return nullptr;
  auto procedure = reinterpret_cast<DLGPROC>(::GetWindowLongPtrW(window, DWLP_DLGPROC));
  if (procedure != &DialogWindow::DialogProcedure && procedure != &DialogWindow::PageProcedure) return nullptr;
  return reinterpret_cast<DialogWindow*>(::GetWindowLongPtrW(window, DWLP_USER));
}

std::optional<LRESULT> DialogWindow::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      return OnInitDialog() ? TRUE : FALSE;
    case WM_COMMAND:
      if (OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam))) return 0;
      return std::nullopt;
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(lParam);
      auto target = reflected_.find(header->hwndFrom);
      if (target != reflected_.end()) {
        if (std::optional<LRESULT> result = target->second(*header)) return result;
      }
      return OnNotify(*header);
    }
    default:
      return std::nullopt;
  }
}

bool DialogWindow::OnCommand(int, int, HWND) { return false; }

std::optional<LRESULT> DialogWindow::OnNotify(NMHDR&) { return std::nullopt; }

INT_PTR DialogWindow::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
  std::optional<LRESULT> result;
  try {
    result = WindowProc(message, wParam, lParam);
  } catch (...) {
    OnHandlerFailed();
    result = 0;
  }
  if (message == WM_NCDESTROY) {
    ::SetWindowLongPtrW(window_, DWLP_USER, 0);
    window_ = nullptr;
    reflected_.clear();
  }
  if (!result) return FALSE;
  if (ReturnsDirectly(message)) return static_cast<INT_PTR>(*result);
  if (window_) ::SetWindowLongPtrW(window_, DWLP_MSGRESULT, *result);
  return TRUE;
}

INT_PTR DialogWindow::Route(DialogWindow* dialog, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG && dialog) {
    dialog->window_ = window;
    ::SetWindowLongPtrW(window, DWLP_USER, reinterpret_cast<LONG_PTR>(dialog));
  } else {
    dialog = reinterpret_cast<DialogWindow*>(::GetWindowLongPtrW(window, DWLP_USER));
  }
  // Messages that arrive before WM_INITDIALOG (WM_SETFONT) get the default handling.
  return dialog ? dialog->Dispatch(message, wParam, lParam) : FALSE;
}

INT_PTR CALLBACK DialogWindow::DialogProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* dialog = message == WM_INITDIALOG ? reinterpret_cast<DialogWindow*>(lParam) : nullptr;
  return Route(dialog, window, message, wParam, lParam);
}

INT_PTR CALLBACK DialogWindow::PageProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DialogWindow* page = nullptr;
  if (message == WM_INITDIALOG) {
    page = reinterpret_cast<DialogWindow*>(reinterpret_cast<const PROPSHEETPAGEW*>(lParam)->lParam);
  }
  return Route(page, window, message, wParam, lParam);
}
