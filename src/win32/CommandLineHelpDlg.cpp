#include "win32/CommandLineHelpDlg.h"

#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "win32/CommandLineHelpDlgRes.h"

CCommandLineHelpDlg::CCommandLineHelpDlg(const DialogContext& context)
    : CMyDialog(IDD_COMMAND_LINE_HELP, context) {}

bool CCommandLineHelpDlg::OnInitDialog() {
  CMyDialog::OnInitDialog();
  std::vector<std::string> lines = CommandLineHelpLines();
  for (std::size_t index = 0; index < lines.size() && index < IDC_HELP_LINE_COUNT; ++index) {
    SetItemText(IDC_HELP_FIRST_LINE + static_cast<int>(index), lines[index]);
  }
  return true;
}
