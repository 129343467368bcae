#include "win32/SecondInstance.h"

#include "app/CommandLine.h"
#include "ui/ProgramArguments.h"

int HandOverToRunningInstance(CInstanceChecker& checker, const std::vector<std::string>& arguments) {
  std::string text = arguments.size() > 1 ? arguments[1] : std::string();
  // The running instance has a working directory of its own: a relative path would name another file there.
  if (!text.empty() && !LooksLikeSwitch(text, PathStyle::Windows)) text = FullPath(text);
  bool accepted = false;
  checker.ActivateOtherInstance(text, &accepted);
  if (arguments.size() <= 1) return kExitDone;
  // Only the first argument crosses: whatever else was asked is not done.
  return accepted && arguments.size() == 2 ? kExitDone : kExitOperationFailed;
}
