// The Help menu: the Internet dialogs and the About box.
#include "base/Texts.h"
#include "win32/AboutDlg.h"
#include "win32/FeedbackDlg.h"
#include "win32/InternetServices.h"
#include "win32/MainDlg.h"
#include "win32/MainDlgRes.h"
#include "win32/NewsDlg.h"
#include "win32/UpdateDlg.h"

void CMainDlg::OnInternetCommand(int id) {
  if (!application_.Services().platform.internetStateAvailable) {
    ShowMessage(Boxes(), MessageIcon::None, kTextNeedNewerIE);
    return;
  }
  InternetServices services = ProgramInternetServices();
  if (id == ID_CHECK_UPDATES) {
    CUpdateDlg(Context(), services, false).RunModal(Window());
  } else if (id == ID_FEEDBACK) {
    CFeedbackDlg(Context(), services).RunModal(Window());
  } else {
    CNewsDlg(Context(), services).RunModal(Window());
  }
}

void CMainDlg::OnAbout() { CAboutDlg(Context()).RunModal(nullptr); }
