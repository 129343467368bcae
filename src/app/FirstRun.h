#pragma once
// The first start of a new version: the file-association question, asked once per version.

#include <string>

#include "base/MessageBoxes.h"
#include "settings/FileAssociations.h"
#include "settings/RegistryBackend.h"

// Asks 57680 unless Info\Version already names this version; the marker is written before asking, so an
// answer (or a crash while the box is open) never brings the question back for the same version. The
// question is not one of the operations' boxes: Suppress does not hide it. On Yes .img and .imz are
// registered for programPath and the shell is told once. Returns the registration's first failure, or
// kErrorSuccess (also when nothing was asked or the answer was No).
long FirstRunOfVersion(IRegistryBackend& registry, IMessageBoxes& boxes, const std::string& programPath,
                       IShellNotifier* notifier);
