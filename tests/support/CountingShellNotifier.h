#pragma once
// A shell that counts how often it was told that associations changed.

#include "settings/FileAssociations.h"

class CountingShellNotifier : public IShellNotifier {
 public:
  void AssociationsChanged() override { ++count; }
  int count = 0;
};
