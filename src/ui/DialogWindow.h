#pragma once
// Routes a dialog's messages to virtual handlers. One static dialog procedure keeps the object in the
// window's user data (DWLP_USER) and calls WindowProc for every message; nothing a handler throws crosses
// into Windows: the exception stops in the procedure and OnHandlerFailed decides what follows.

#include <windows.h>

#include <map>
#include <optional>
#include <string>
#include <string_view>

#include <functional>

class DialogWindow {
 public:
  DialogWindow() = default;
  DialogWindow(const DialogWindow&) = delete;
  DialogWindow& operator=(const DialogWindow&) = delete;
  virtual ~DialogWindow() = default;

  HWND Window() const { return window_; }
  HWND Item(int id) const { return ::GetDlgItem(window_, id); }
  std::string ItemText(int id) const;
  BOOL SetItemText(int id, std::string_view text) const;

  // Sees every queued message of the thread meant for this dialog or a window inside it, before dispatch;
  // true consumes the message. The modal loops call it (ModalLoop.h).
  virtual bool PreTranslateMessage(MSG& message);

  // While registered, target handles the WM_NOTIFY messages that control sends (nullptr unregisters).
  // The notifications of control go to handler first (a control object's own: list sorting, custom drawing),
  // the way a framework reflects them back to the control; nullopt from it passes them on to OnNotify. An
  // empty handler ends the reflection.
  using NotificationHandler = std::function<std::optional<LRESULT>(NMHDR&)>;
  void ReflectNotifications(HWND control, NotificationHandler handler);

  // The object of a window run by one of our dialog procedures; nullptr for every other window.
  static DialogWindow* FromWindow(HWND window);

 protected:
  // Every message before the default dialog handling; a value means handled, with that result. The base
  // calls the handlers below.
  virtual std::optional<LRESULT> WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  // True: the system gives the focus to the first control.
  virtual bool OnInitDialog() { return true; }
  // Commands and control notifications (WM_COMMAND); true when handled.
  virtual bool OnCommand(int id, int code, HWND control);
  virtual std::optional<LRESULT> OnNotify(NMHDR& header);
  // A handler threw; the window may be in any state.
  virtual void OnHandlerFailed() noexcept {}

  static INT_PTR CALLBACK DialogProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  // Property pages: WM_INITDIALOG carries the PROPSHEETPAGEW whose lParam is the object.
  static INT_PTR CALLBACK PageProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

 private:
  INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
  static INT_PTR Route(DialogWindow* dialog, HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  HWND window_ = nullptr;
  std::map<HWND, NotificationHandler> reflected_;
};
