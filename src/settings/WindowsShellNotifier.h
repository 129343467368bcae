#pragma once
// The Windows shell's notification that file associations changed.

#include "settings/FileAssociations.h"

class WindowsShellNotifier : public IShellNotifier {
 public:
  void AssociationsChanged() override;
};
