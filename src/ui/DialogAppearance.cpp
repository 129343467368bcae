#include "ui/DialogAppearance.h"

#include <commctrl.h>

#include "base/Texts.h"

namespace {

constexpr int kMaxTipWidth = 300;
constexpr int kAutoPopMs = 30000;
constexpr UINT kFirstRelayedMessage = WM_MOUSEMOVE;
constexpr UINT kLastRelayedMessage = WM_MBUTTONDBLCLK;
constexpr UINT_PTR kSubclassId = 0x545450;

bool IsGroupBox(HWND window) {
  wchar_t className[16] = {};
  ::GetClassNameW(window, className, 16);
  return ::lstrcmpiW(className, L"Button") == 0 &&
         (::GetWindowLongPtrW(window, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX;
}

// Group boxes frame other controls: a control inside one is the one meant.
HWND ControlUnder(HWND dialog, POINT point) {
  HWND frame = nullptr;
  for (HWND child = ::GetWindow(dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    RECT rect;
    if (!::IsWindowVisible(child) || !::GetWindowRect(child, &rect)) continue;
    ::MapWindowPoints(HWND_DESKTOP, dialog, reinterpret_cast<POINT*>(&rect), 2);
    if (!::PtInRect(&rect, point)) continue;
    if (!IsGroupBox(child)) return child;
    if (!frame) frame = child;
  }
  return frame;
}

// Before it shows, a tooltip asks which window is under the mouse and shows only if that window is the tool.
// Disabled controls and statics let the mouse through to the dialog, and a combo box's edit field is not the
// combo box: the answer is the dialog's control there, the same one the relayed mouse messages name.
LRESULT CALLBACK TipProcedure(HWND tip, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR dialog) {
  if (message == TTM_WINDOWFROMPOINT && lParam) {
    auto owner = reinterpret_cast<HWND>(dialog);
    POINT point = *reinterpret_cast<const POINT*>(lParam);
    HWND under = ::WindowFromPoint(point);
    if (under && (under == owner || ::IsChild(owner, under))) {
      ::ScreenToClient(under, &point);
      if (HWND control = ToolOwnerOf(owner, under, point)) return reinterpret_cast<LRESULT>(control);
    }
  }
  return ::DefSubclassProc(tip, message, wParam, lParam);
}

}  // namespace

void DialogAppearance::Apply(HWND dialog, const DialogContext& context) {
  font_.Create(TahomaLike(reinterpret_cast<HFONT>(::SendMessageW(dialog, WM_GETFONT, 0, 0))));
  if (HWND tip = toolTip_.Create(dialog)) {
    ::SetWindowSubclass(tip, &TipProcedure, kSubclassId, reinterpret_cast<DWORD_PTR>(dialog));
  }
  toolTip_.Activate(true);
  toolTip_.SetMaxTipWidth(kMaxTipWidth);
  toolTip_.SetDelayTimes(0, kAutoPopMs, 0);
  bool keepTemplateFont = context.keepTemplateFont;
  for (HWND child = ::GetWindow(dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    if (!keepTemplateFont && font_.Get()) {
      ::SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), TRUE);
    }
    int id = ::GetDlgCtrlID(child);
    if (HasText(id)) toolTip_.AddTool(child, ::TextOf(id));
  }
}

void DialogAppearance::PreTranslate(HWND dialog, const MSG& message, bool shown) {
  if (!toolTip_.Window()) return;
  int state = shown ? 1 : 0;
  if (state != activeState_) {
    toolTip_.Activate(shown);
    activeState_ = state;
  }
  if (message.message < kFirstRelayedMessage || message.message > kLastRelayedMessage) return;
  POINT point{static_cast<short>(LOWORD(message.lParam)), static_cast<short>(HIWORD(message.lParam))};
  HWND tool = ToolOwnerOf(dialog, message.hwnd, point);
  if (!tool) return;
  MSG relayed = message;
  relayed.hwnd = tool;
  ::MapWindowPoints(message.hwnd, tool, &point, 1);
  relayed.lParam = MAKELPARAM(point.x, point.y);
  toolTip_.RelayEvent(relayed);
}

HWND ToolOwnerOf(HWND dialog, HWND window, POINT point) {
  if (window == dialog) return ControlUnder(dialog, point);
  while (window && ::GetParent(window) != dialog) {
    if (::GetAncestor(window, GA_ROOT) == window) return nullptr;
    window = ::GetParent(window);
  }
  return window;
}
