#pragma once
// Turns a static control of a dialog into a web link: coloured, underlined, a hand cursor, a tooltip with
// its address; a click or Space opens the address with the shell. Only http:, https: and mailto: addresses
// are ever opened (base/OpenableAddress.h): the addresses come from the vendor's server, and a link must
// not be able to run a program or open a local file.

#include <windows.h>

#include <string>
#include <string_view>

#include "base/MessageBoxes.h"
#include "ui/GdiFont.h"
#include "ui/ToolTip.h"

class CHyperLink {
 public:
  static constexpr int kUnderline = 0x01;
  static constexpr int kUseHoverColour = 0x02;
  static constexpr int kSizeToText = 0x04;
  static constexpr int kOpenOnPress = 0x08;
  static constexpr int kFocusOnClick = 0x10;
  static constexpr int kNoHandCursor = 0x20;
  static constexpr int kNoActiveColour = 0x40;
  static constexpr int kDefaultStyle = kUnderline | kSizeToText | kFocusOnClick;

  explicit CHyperLink(IMessageBoxes& boxes, int style = kDefaultStyle) : boxes_(boxes), style_(style) {}
  CHyperLink(const CHyperLink&) = delete;
  CHyperLink& operator=(const CHyperLink&) = delete;
  ~CHyperLink();

  // Takes over the dialog's static control id (once, in the dialog's initialisation). An empty address
  // becomes the control's text, an empty text the address.
  bool Attach(HWND dialog, int id);
  // The address to open; the control is refitted to its text and its tooltip shows the address.
  void SetLinkTarget(std::string_view address);
  const std::string& LinkTarget() const { return url_; }
  // Opens the address; a failure beeps and shows ShowOpenError, a success marks the link visited.
  void OpenLink();

  HWND Window() const { return control_; }
  bool Visited() const { return visited_; }
  bool Active() const { return active_; }
  bool Hovering() const { return hovering_; }
  // The colour the text is drawn in now.
  COLORREF TextColour() const;

  // The colours of every link of the process; a hover colour of -1 is the system's highlight colour.
  static void SetLinkColours(COLORREF link, COLORREF active, COLORREF visited, COLORREF hover);

 private:
  static LRESULT CALLBACK ControlProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                           DWORD_PTR data);
  static LRESULT CALLBACK ParentProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                          DWORD_PTR data);
  LRESULT OnControlMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void FitToText();
  void SetActive(bool on);
  void Detach();

  IMessageBoxes& boxes_;
  int style_;
  HWND control_ = nullptr;
  HWND parent_ = nullptr;
  std::string url_;
  bool active_ = false;
  bool hovering_ = false;
  bool visited_ = false;
  GdiFont font_;
  ToolTip toolTip_;
};

// Opens address with the shell, or when that fails with the browser registered for .htm files. Returns the
// shell's code: above 32 is success; an address that is not http:, https: or mailto: is refused with
// kLinkRefusedCode (base/LinkOpening.h) and reaches no program.
int OpenUrl(std::string_view address, int showCommand);
// The link failure box ("不能打开链接:" and the reason), with the exclamation icon.
void ShowOpenError(IMessageBoxes& boxes, int code);
