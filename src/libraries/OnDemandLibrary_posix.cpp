#include "libraries/OnDemandLibrary_posix.h"

#include <dlfcn.h>

#include <cstdio>

bool OpenOnDemand(const char* soname, std::initializer_list<const char*> names, void** slots) {
  // RTLD_LOCAL: its names stay its own, so the forwarding functions never stand in for its inner calls.
  void* library = dlopen(soname, RTLD_NOW | RTLD_LOCAL);
  if (!library) {
    std::fprintf(stderr, "diskelle: %s\n", dlerror());
    return false;
  }
  std::size_t i = 0;
  for (const char* name : names) {
    slots[i] = dlsym(library, name);
    if (!slots[i]) {
      std::fprintf(stderr, "diskelle: %s has no %s\n", soname, name);
      return false;
    }
    ++i;
  }
  return true;
}
