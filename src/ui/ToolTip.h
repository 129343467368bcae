#pragma once
// Owns a tooltip control whose tools are whole child windows (no rectangles). Mouse messages reach it only
// by relaying (the dialog bases relay them before dispatch), so tools are added without TTF_SUBCLASS.

#include <windows.h>

#include <string_view>

class ToolTip {
 public:
  ToolTip() = default;
  ToolTip(const ToolTip&) = delete;
  ToolTip& operator=(const ToolTip&) = delete;
  ~ToolTip() { Destroy(); }

  // A tooltip owned by owner; returns its window (nullptr on failure).
  HWND Create(HWND owner);
  BOOL Destroy();
  HWND Window() const { return window_; }

  // Returns TTM_ADDTOOLW's result (TRUE when added).
  BOOL AddTool(HWND tool, std::string_view text);
  // The tool's text from now on; the tool is added when it has none yet.
  void SetText(HWND tool, std::string_view text);
  void Activate(bool on);
  void RelayEvent(const MSG& message);
  void SetMaxTipWidth(int pixels);
  void SetDelayTimes(int initialMs, int autoPopMs, int reshowMs);

  int ToolCount() const;
  // The text of the tool for that window; false when it is no tool.
  bool TextOf(HWND tool, std::wstring& text) const;

 private:
  HWND owner_ = nullptr;
  HWND window_ = nullptr;
};
