#include "win32/NewsDlg.h"

#include <utility>

#include "base/Texts.h"
#include "net/HttpStatus.h"
#include "net/NewsFile.h"
#include "win32/NewsDlgRes.h"

CNewsDlg::CNewsDlg(const DialogContext& context, InternetServices services)
    : CInternetGetDlg(IDD_NEWS, context, std::move(services), kNewsFilePath, kNewsMessageLimit,
                      {IDC_NEWS_STATUS, IDC_NEWS_LINK, IDC_NEWS_MESSAGE_GROUP, IDC_NEWS_MESSAGE}) {}

void CNewsDlg::ShowAnswer(std::string_view text) {
  NewsFile news = ParseNewsFile(text);
  if (news.HasLink()) {
    ShowLink(news.caption, news.address);
  } else {
    ShowStatus(kTextConnectionEstablished);
  }
  ShowText(news.message);
}
