#pragma once
// The update check: asks the server for the newest version and offers it as a link when it is not this
// one, with the version history below. Interactive from the menu; automatic at start-up, where it appears
// only when there is another version.

#include "win32/InternetGetDlg.h"

class CUpdateDlg : public CInternetGetDlg {
 public:
  enum class Result { None, NewVersion, NoUpdate };

  CUpdateDlg(const DialogContext& context, InternetServices services, bool automatic);

  Result Outcome() const { return result_; }

 protected:
  void ShowAnswer(std::string_view text) override;
  bool Automatic() const override { return automatic_; }

 private:
  bool automatic_;
  Result result_ = Result::None;
};
