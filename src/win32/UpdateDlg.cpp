#include "win32/UpdateDlg.h"

#include <utility>

#include "base/Format.h"
#include "base/Texts.h"
#include "net/HttpStatus.h"
#include "net/UpdateFile.h"
#include "win32/UpdateDlgRes.h"

CUpdateDlg::CUpdateDlg(const DialogContext& context, InternetServices services, bool automatic)
    : CInternetGetDlg(IDD_UPDATE, context, std::move(services), kUpdateFilePath, kUpdateMessageLimit,
                      {IDC_UPDATE_STATUS, IDC_UPDATE_LINK, IDC_UPDATE_HISTORY_GROUP, IDC_UPDATE_HISTORY}),
      automatic_(automatic) {}

void CUpdateDlg::ShowAnswer(std::string_view text) {
  UpdateFile file = ParseUpdateFile(text);
  if (IsOtherVersion(file)) {
    result_ = Result::NewVersion;
    ShowLink(FormatText(kTextVersionAvailable, {file.version}), file.downloadAddress);
  } else {
    result_ = Result::NoUpdate;
    ShowStatus(kTextNoUpdateAvailable);
  }
  ShowText(file.history);
  // Nothing new: the automatic check ends before anything appears.
  if (automatic_ && result_ == Result::NoUpdate) End(IDCANCEL);
}
