#pragma once
// The base of every stand-alone dialog: Tahoma on every control, tooltips from the string table, the fade
// while dragging (WindowFx), an optional proportional layout and the remembered window placement.
//
// A derived dialog overrides the handlers of DialogWindow (OnInitDialog first calls CMyDialog's), OnOK and
// OnCancel, and runs with RunModal. To be resizable it calls Resizer().SetEnabled(true) and Resizer().Add
// for its controls after the base initialisation.

#include <windows.h>

#include <string>

#include "ui/DialogAppearance.h"
#include "ui/DialogContext.h"
#include "ui/DialogWindow.h"
#include "ui/ResizeCtrl.h"
#include "ui/WindowFader.h"
#include "ui/WindowPlacement.h"

// RunModal's result when the dialog could not be created, a handler threw, or WM_QUIT ended the loop.
inline constexpr INT_PTR kDialogFailed = -1;

class CMyDialog : public DialogWindow {
 public:
  CMyDialog(int templateId, const DialogContext& context);
  ~CMyDialog() override;

  // Creates the dialog hidden, initialises it, and unless it ended meanwhile shows it and runs its loop
  // until End; owner (and its top-level window) is disabled meanwhile. Returns the value given to End.
  INT_PTR RunModal(HWND owner);
  void End(INT_PTR result);
  bool Ended() const { return ended_; }

  bool PreTranslateMessage(MSG& message) override;

  // scaleX, scaleY = the window's current size / the design size; design pixel sizes are multiplied by them.
  void ComputeLayoutScale(int designWidth, int designHeight);
  float ScaleX() const { return scaleX_; }
  float ScaleY() const { return scaleY_; }

  void SaveWindowPlacement(IPlacementStore& store, bool position, bool size) const;
  void RestoreWindowPlacement(IPlacementStore& store, bool position, bool size);

  // Brings the fade of the open window in line with WindowFx (after the settings changed).
  void ApplyWindowFx();
  // This dialog's own tooltip switch, combined with the ToolTips setting.
  void EnableToolTips(bool on) { toolTipsEnabled_ = on; }
  // A control's tooltip that says something the string table cannot (why it is greyed).
  void SetToolTipText(int id, std::string_view text) { appearance_.Tips().SetText(::GetDlgItem(Window(), id), text); }

  CResizeCtrl& Resizer() { return resizer_; }
  const DialogAppearance& Appearance() const { return appearance_; }
  const DialogContext& Context() const { return context_; }

 protected:
  std::optional<LRESULT> WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  bool OnInitDialog() override;
  // The OK button or Enter; ends the dialog with IDOK.
  virtual void OnOK() { End(IDOK); }
  // The Cancel button, Esc or the close box; ends the dialog with IDCANCEL.
  virtual void OnCancel() { End(IDCANCEL); }
  void OnHandlerFailed() noexcept override { End(kDialogFailed); }

  // Moves the dialog so that its centre is over its owner's (or the screen's work area).
  void CenterOverOwner();

  // Added to the dialog's position at initialisation when it has an owner.
  int offsetX_ = 0;
  int offsetY_ = 0;

 private:
  int templateId_;
  DialogContext context_;
  DialogAppearance appearance_;
  bool toolTipsEnabled_ = true;
  WindowFader fader_;
  float scaleX_ = 1.0f;
  float scaleY_ = 1.0f;
  CResizeCtrl resizer_;
  bool running_ = false;
  bool ended_ = false;
  INT_PTR result_ = kDialogFailed;
};
