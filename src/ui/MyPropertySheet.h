#pragma once
// The base of the settings sheets: a modal property sheet without Apply and Help buttons, run in our own
// message loop (so that its pages see their messages first) and faded while dragged like every dialog.

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "ui/DialogContext.h"
#include "ui/MyPropertyPage.h"
#include "ui/WindowFader.h"

class CMyPropertySheet {
 public:
  CMyPropertySheet(std::string caption, const DialogContext& context, int startPage = 0);
  CMyPropertySheet(const CMyPropertySheet&) = delete;
  CMyPropertySheet& operator=(const CMyPropertySheet&) = delete;
  virtual ~CMyPropertySheet();

  // Pages in tab order; they must outlive RunModal.
  void AddPage(CMyPropertyPage& page) { pages_.push_back(&page); }
  // Every page is created at initialisation (selected once, in order), not only when first shown.
  void SetActivateAllPages(bool on) { activateAllPages_ = on; }

  // Returns what PropertySheet would: positive after OK, 0 after Cancel, -1 when the sheet was not created.
  INT_PTR RunModal(HWND owner);
  HWND Window() const { return window_; }

 protected:
  virtual void OnInitDialog();
  // Every message of the sheet window before its own handling; a value means handled.
  virtual std::optional<LRESULT> WindowProc(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  static LRESULT CALLBACK SubclassProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                            DWORD_PTR self);

  std::wstring caption_;
  DialogContext context_;
  int startPage_;
  std::vector<CMyPropertyPage*> pages_;
  WindowFader fader_;
  bool activateAllPages_ = false;
  HWND window_ = nullptr;
};
