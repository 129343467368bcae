#include "settings/WindowsShellNotifier.h"

#include <windows.h>
#include <shlobj.h>

void WindowsShellNotifier::AssociationsChanged() {
  ::SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
}
