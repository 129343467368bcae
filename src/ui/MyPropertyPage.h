#pragma once
// The base of the settings sheets' pages: the same font and tooltips as CMyDialog. Pages have no fade,
// layout or placement of their own: they are children of the sheet, which fades as a whole.

#include <windows.h>
#include <prsht.h>

#include "ui/DialogAppearance.h"
#include "ui/DialogContext.h"
#include "ui/DialogWindow.h"

class CMyPropertyPage : public DialogWindow {
 public:
  CMyPropertyPage(int templateId, const DialogContext& context) : templateId_(templateId), context_(context) {}

  bool PreTranslateMessage(MSG& message) override;
  void EnableToolTips(bool on) { toolTipsEnabled_ = on; }

  // The page's description for PropertySheetW (the template's caption, no Help button).
  PROPSHEETPAGEW Description();

  const DialogAppearance& Appearance() const { return appearance_; }
  const DialogContext& Context() const { return context_; }

 protected:
  bool OnInitDialog() override;
  std::optional<LRESULT> OnNotify(NMHDR& header) override;
  // OK of the sheet, for every page that was created: false keeps the sheet open on this page.
  virtual bool OnApply() { return true; }
  // Cancel of the sheet.
  virtual void OnReset() {}
  // The page is about to be left (another tab, or OK while it shows): false keeps the sheet on it.
  virtual bool OnKillActive() { return true; }
  // Tells the sheet that this page holds changes.
  void SetModified();

 private:
  int templateId_;
  DialogContext context_;
  DialogAppearance appearance_;
  bool toolTipsEnabled_ = true;
};
