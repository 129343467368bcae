#include "app/FirstRun.h"

#include "base/Texts.h"
#include "base/Win32Codes.h"
#include "settings/Settings.h"

long FirstRunOfVersion(IRegistryBackend& registry, IMessageBoxes& boxes, const std::string& programPath,
                       IShellNotifier* notifier) {
  if (ReadLastStartedVersion(registry) == kProgramVersion) return kErrorSuccess;
  WriteLastStartedVersion(registry, kProgramVersion);
  if (!AskYesNo(boxes, kTextAskAssociate)) return kErrorSuccess;
  return ChangeAssociations(registry, programPath, AssociationChange::Register, AssociationChange::Register,
                            notifier);
}
