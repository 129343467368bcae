#include "ui/HyperLink.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "base/LinkOpening.h"
#include "base/OpenableAddress.h"
#include "ui/WideText.h"

namespace {

constexpr UINT_PTR kControlSubclassId = 1;
constexpr COLORREF kUseHighlight = static_cast<COLORREF>(-1);
constexpr DWORD kMaxClassNameBytes = 260;
constexpr int kExtraWidth = 5;

// Shared by every link of the process, as the user sees one kind of link.
struct LinkColours {
  COLORREF link = RGB(0, 0, 255);
  COLORREF active = RGB(0, 128, 128);
  COLORREF visited = RGB(128, 0, 128);
  COLORREF hover = RGB(255, 0, 0);
};
LinkColours colours;

HCURSOR HandCursor() {
  static HCURSOR hand = ::LoadCursorW(nullptr, IDC_HAND);
  return hand;
}

std::optional<std::wstring> DefaultRegistryValue(HKEY root, const std::wstring& path) {
  HKEY key = nullptr;
  if (::RegOpenKeyExW(root, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return std::nullopt;
  std::vector<wchar_t> buffer(kMaxClassNameBytes / sizeof(wchar_t) + 1, L'\0');
  DWORD type = 0;
  DWORD bytes = static_cast<DWORD>((buffer.size() - 1) * sizeof(wchar_t));
  LONG result = ::RegQueryValueExW(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &bytes);
  ::RegCloseKey(key);
  if (result != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return std::nullopt;
  return std::wstring(buffer.data());
}

// The browser of .htm files started with the address, when the shell itself could not open it.
int OpenWithHtmBrowser(std::string_view address, int showCommand, int shellResult) {
  std::optional<std::wstring> type = DefaultRegistryValue(HKEY_CLASSES_ROOT, L".htm");
  if (!type) return shellResult;
  std::optional<std::wstring> command = DefaultRegistryValue(HKEY_CLASSES_ROOT, *type + L"\\shell\\open\\command");
  if (!command) return shellResult;
  std::optional<std::string> line = LinkCommandLine(Narrow(*command), address);
  if (!line) return kLinkRefusedCode;
  std::wstring wide = Wide(*line);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = static_cast<WORD>(showCommand);
  PROCESS_INFORMATION process{};
  if (!::CreateProcessW(nullptr, wide.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    DWORD error = ::GetLastError();
    return error <= 32 ? static_cast<int>(error) : 0;
  }
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  return 33;
}

}  // namespace

CHyperLink::~CHyperLink() { Detach(); }

void CHyperLink::Detach() {
  if (control_ && ::IsWindow(control_)) ::RemoveWindowSubclass(control_, &ControlProcedure, kControlSubclassId);
  if (parent_ && ::IsWindow(parent_)) {
    ::RemoveWindowSubclass(parent_, &ParentProcedure, reinterpret_cast<UINT_PTR>(this));
  }
  toolTip_.Destroy();
  control_ = nullptr;
  parent_ = nullptr;
}

bool CHyperLink::Attach(HWND dialog, int id) {
  HWND control = ::GetDlgItem(dialog, id);
  if (!control || control_) return false;
  control_ = control;
  parent_ = dialog;
  std::string text = ReadWindowText(control);
  if (url_.empty()) url_ = text;
  if (text.empty()) WriteWindowText(control, url_);

  HFONT font = reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0));
  LOGFONTW description{};
  if (font && ::GetObjectW(font, sizeof description, &description) == sizeof description) {
    description.lfUnderline = (style_ & kUnderline) ? TRUE : FALSE;
    if (font_.Create(description)) ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);
  } else {
    style_ &= ~kSizeToText;
  }
  // The static must hear the mouse to be clickable.
  ::SetWindowLongPtrW(control, GWL_STYLE, ::GetWindowLongPtrW(control, GWL_STYLE) | SS_NOTIFY);
  ::SetWindowSubclass(control, &ControlProcedure, kControlSubclassId, reinterpret_cast<DWORD_PTR>(this));
  ::SetWindowSubclass(dialog, &ParentProcedure, reinterpret_cast<UINT_PTR>(this), reinterpret_cast<DWORD_PTR>(this));
  FitToText();

  if (toolTip_.Create(dialog)) {
    TOOLINFOW info{};
    info.cbSize = TTTOOLINFOW_V2_SIZE;
    info.uFlags = TTF_SUBCLASS;
    info.hwnd = control;
    info.uId = 1;
    ::GetClientRect(control, &info.rect);
    std::wstring wide = Wide(url_);
    info.lpszText = wide.data();
    ::SendMessageW(toolTip_.Window(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
  }
  return true;
}

void CHyperLink::SetLinkTarget(std::string_view address) {
  url_ = std::string(address);
  if (!control_) return;
  // The style, not IsWindowVisible: in a dialog not yet shown every control counts as invisible.
  bool shown = (::GetWindowLongPtrW(control_, GWL_STYLE) & WS_VISIBLE) != 0;
  ::ShowWindow(control_, SW_HIDE);
  FitToText();
  if (toolTip_.Window()) {
    TOOLINFOW info{};
    info.cbSize = TTTOOLINFOW_V2_SIZE;
    info.hwnd = control_;
    info.uId = 1;
    std::wstring wide = Wide(url_);
    info.lpszText = wide.data();
    ::SendMessageW(toolTip_.Window(), TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&info));
    ::GetClientRect(control_, &info.rect);
    ::SendMessageW(toolTip_.Window(), TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&info));
  }
  if (shown) ::ShowWindow(control_, SW_SHOW);
}

void CHyperLink::OpenLink() {
  int result = OpenUrl(url_, SW_SHOW);
  if (result <= 32) {
    ::MessageBeep(MB_ICONEXCLAMATION);
    ShowOpenError(boxes_, result);
    return;
  }
  visited_ = true;
  if (control_) ::InvalidateRect(control_, nullptr, TRUE);
}

COLORREF CHyperLink::TextColour() const {
  if (hovering_ && (style_ & kUseHoverColour)) {
    return colours.hover == kUseHighlight ? ::GetSysColor(COLOR_HIGHLIGHT) : colours.hover;
  }
  if (active_ && !(style_ & kNoActiveColour)) return colours.active;
  return visited_ ? colours.visited : colours.link;
}

void CHyperLink::SetLinkColours(COLORREF link, COLORREF active, COLORREF visited, COLORREF hover) {
  colours = LinkColours{link, active, visited, hover};
}

void CHyperLink::FitToText() {
  if (!(style_ & kSizeToText) || !control_ || !parent_) return;
  RECT rect;
  ::GetWindowRect(control_, &rect);
  ::MapWindowPoints(nullptr, parent_, reinterpret_cast<POINT*>(&rect), 2);
  std::wstring text = Wide(ReadWindowText(control_));
  HDC dc = ::GetDC(control_);
  HGDIOBJ old = ::SelectObject(dc, font_.Get() ? static_cast<HGDIOBJ>(font_.Get()) : ::GetStockObject(DEFAULT_GUI_FONT));
  SIZE extent{0, 0};
  ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
  ::SelectObject(dc, old);
  ::ReleaseDC(control_, dc);
  // Never wider than the window that holds it: a long text is clipped, not a link far past the window.
  RECT parentArea;
  ::GetClientRect(parent_, &parentArea);
  extent.cx = std::max<LONG>(0, std::min<LONG>(extent.cx, parentArea.right - rect.left - kExtraWidth));

  LONG style = static_cast<LONG>(::GetWindowLongPtrW(control_, GWL_STYLE));
  if (style & SS_CENTERIMAGE) {
    LONG shrink = ((rect.bottom - rect.top) - extent.cy) / 2;
    rect.top += shrink;
    rect.bottom = rect.top + extent.cy;
  } else {
    rect.bottom = rect.top + extent.cy;
  }
  switch (style & SS_TYPEMASK) {
    case SS_CENTER: {
      LONG shrink = ((rect.right - rect.left) - extent.cx) / 2;
      rect.left += shrink;
      rect.right = rect.left + extent.cx;
      break;
    }
    case SS_RIGHT: rect.left = rect.right - extent.cx; break;
    default: rect.right = rect.left + extent.cx; break;
  }
  RECT window, client;
  ::GetWindowRect(control_, &window);
  ::GetClientRect(control_, &client);
  int frameX = (window.right - window.left) - client.right;
  int frameY = (window.bottom - window.top) - client.bottom;
  ::MoveWindow(control_, rect.left, rect.top, rect.right - rect.left + kExtraWidth + frameX,
               rect.bottom - rect.top + frameY, TRUE);
}

void CHyperLink::SetActive(bool on) {
  active_ = on;
  ::InvalidateRect(control_, nullptr, TRUE);
}

LRESULT CALLBACK CHyperLink::ParentProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                             DWORD_PTR data) {
  auto* link = reinterpret_cast<CHyperLink*>(data);
  if (message == WM_CTLCOLORSTATIC && reinterpret_cast<HWND>(lParam) == link->control_) {
    HDC dc = reinterpret_cast<HDC>(wParam);
    ::SetTextColor(dc, link->TextColour());
    ::SetBkMode(dc, TRANSPARENT);
    return reinterpret_cast<LRESULT>(::GetStockObject(NULL_BRUSH));
  }
  if (message == WM_NCDESTROY) {
    ::RemoveWindowSubclass(window, &ParentProcedure, reinterpret_cast<UINT_PTR>(link));
    link->parent_ = nullptr;
  }
  return ::DefSubclassProc(window, message, wParam, lParam);
}

LRESULT CALLBACK CHyperLink::ControlProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                              DWORD_PTR data) {
  auto* link = reinterpret_cast<CHyperLink*>(data);
  if (message == WM_NCDESTROY) {
    ::RemoveWindowSubclass(window, &ControlProcedure, kControlSubclassId);
    link->control_ = nullptr;
    return ::DefSubclassProc(window, message, wParam, lParam);
  }
  return link->OnControlMessage(message, wParam, lParam);
}

LRESULT CHyperLink::OnControlMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  HWND window = control_;
  switch (message) {
    case WM_NCHITTEST: return HTCLIENT;
    case WM_MOUSEMOVE: {
      POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
      RECT client;
      ::GetClientRect(window, &client);
      if (!hovering_) {
        hovering_ = true;
        ::SetCapture(window);
        ::InvalidateRect(window, nullptr, TRUE);
      } else if (!::PtInRect(&client, point)) {
        // Released here, a button let go elsewhere does not open the link.
        hovering_ = false;
        ::ReleaseCapture();
        ::InvalidateRect(window, nullptr, TRUE);
      }
      break;
    }
    case WM_CAPTURECHANGED:
      if (hovering_) {
        hovering_ = false;
        ::InvalidateRect(window, nullptr, TRUE);
      }
      break;
    case WM_LBUTTONDOWN:
      if (style_ & kFocusOnClick) ::SetFocus(window);
      if (style_ & kOpenOnPress) OpenLink();
      SetActive(true);
      return 0;
    case WM_LBUTTONUP:
      if (active_ && !(style_ & kOpenOnPress)) {
        RECT client;
        ::GetClientRect(window, &client);
        POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        if (::PtInRect(&client, point)) OpenLink();
      }
      return 0;
    case WM_SETCURSOR:
      if (!(style_ & kNoHandCursor) && HandCursor()) {
        ::SetCursor(HandCursor());
        return TRUE;
      }
      break;
    case WM_SETFOCUS: SetActive(true); break;
    case WM_KILLFOCUS:
      hovering_ = false;
      SetActive(false);
      break;
    case WM_GETDLGCODE: return DLGC_WANTCHARS;
    case WM_KEYDOWN:
      if (wParam == VK_SPACE) {
        OpenLink();
        return 0;
      }
      break;
    default: break;
  }
  return ::DefSubclassProc(window, message, wParam, lParam);
}

int OpenUrl(std::string_view address, int showCommand) {
  if (!IsOpenableAddress(address)) return kLinkRefusedCode;
  std::wstring wide = Wide(address);
  auto result = reinterpret_cast<INT_PTR>(::ShellExecuteW(nullptr, L"open", wide.c_str(), nullptr, nullptr, showCommand));
  if (result > 32) return static_cast<int>(result);
  return OpenWithHtmBrowser(address, showCommand, static_cast<int>(result));
}

void ShowOpenError(IMessageBoxes& boxes, int code) {
  boxes.Show(0, LinkOpenErrorMessage(code), MessageIcon::Exclamation);
}
