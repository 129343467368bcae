#include "ui/ToolTip.h"

#include <commctrl.h>

#include <string>

#include "ui/WideText.h"

namespace {

// The size that comctl32 5.8 and 6 both accept.
const UINT kToolInfoSize = TTTOOLINFOW_V2_SIZE;

TOOLINFOW ToolFor(HWND owner, HWND tool) {
  TOOLINFOW info{};
  info.cbSize = kToolInfoSize;
  info.uFlags = TTF_IDISHWND;
  info.hwnd = owner;
  info.uId = reinterpret_cast<UINT_PTR>(tool);
  return info;
}

}  // namespace

HWND ToolTip::Create(HWND owner) {
  Destroy();
  owner_ = owner;
  window_ = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                              CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
                              ::GetModuleHandleW(nullptr), nullptr);
  return window_;
}

BOOL ToolTip::Destroy() {
  BOOL destroyed = TRUE;
  if (window_ && ::IsWindow(window_)) destroyed = ::DestroyWindow(window_);
  window_ = nullptr;
  return destroyed;
}

BOOL ToolTip::AddTool(HWND tool, std::string_view text) {
  std::wstring wide = Wide(text);
  TOOLINFOW info = ToolFor(owner_, tool);
  info.lpszText = wide.data();
  return static_cast<BOOL>(::SendMessageW(window_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info)));
}

void ToolTip::SetText(HWND tool, std::string_view text) {
  std::wstring current;
  if (!TextOf(tool, current)) {
    AddTool(tool, text);
    return;
  }
  std::wstring wide = Wide(text);
  TOOLINFOW info = ToolFor(owner_, tool);
  info.lpszText = wide.data();
  ::SendMessageW(window_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&info));
}

void ToolTip::Activate(bool on) { ::SendMessageW(window_, TTM_ACTIVATE, on ? TRUE : FALSE, 0); }

void ToolTip::RelayEvent(const MSG& message) {
  ::SendMessageW(window_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&message));
}

void ToolTip::SetMaxTipWidth(int pixels) { ::SendMessageW(window_, TTM_SETMAXTIPWIDTH, 0, pixels); }

void ToolTip::SetDelayTimes(int initialMs, int autoPopMs, int reshowMs) {
  ::SendMessageW(window_, TTM_SETDELAYTIME, TTDT_INITIAL, MAKELPARAM(initialMs, 0));
  ::SendMessageW(window_, TTM_SETDELAYTIME, TTDT_AUTOPOP, MAKELPARAM(autoPopMs, 0));
  ::SendMessageW(window_, TTM_SETDELAYTIME, TTDT_RESHOW, MAKELPARAM(reshowMs, 0));
}

int ToolTip::ToolCount() const { return static_cast<int>(::SendMessageW(window_, TTM_GETTOOLCOUNT, 0, 0)); }

bool ToolTip::TextOf(HWND tool, std::wstring& text) const {
  TOOLINFOW info = ToolFor(owner_, tool);
  if (!::SendMessageW(window_, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&info))) return false;
  wchar_t buffer[1024] = {};
  info.lpszText = buffer;
  ::SendMessageW(window_, TTM_GETTEXTW, static_cast<WPARAM>(std::size(buffer)), reinterpret_cast<LPARAM>(&info));
  text = buffer;
  return true;
}
