#pragma once
// The registry backends that the behaviour tests run against on this system: the in-memory double
// everywhere, plus the file hive (POSIX) or the real registry (Windows).

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "settings/RegistryBackend.h"

struct BackendUnderTest {
  std::string name;
  // A backend over an empty registry.
  std::function<std::unique_ptr<IRegistryBackend>()> makeEmpty;
};

std::vector<BackendUnderTest> RegistryBackendsUnderTest();
