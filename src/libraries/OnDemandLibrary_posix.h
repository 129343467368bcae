#pragma once
// A shared library opened when a command first calls into it rather than by the loader at every start: most
// commands (--version, --files of an .img) never compress, and each library mapped at start costs as much
// as the rest of a short command. The program is linked against this file's forwarding functions instead of
// the library itself; the Debian package names the library among its dependencies.

#include <initializer_list>

// Opens soname once and looks up each name into the matching slot; false (said once on stderr) when the
// library or a function is missing, and every later call is then false at once.
bool OpenOnDemand(const char* soname, std::initializer_list<const char*> names, void** slots);

// A function pointer of the library's, typed as its declaration in the library's header.
template <typename Function>
Function Slot(void* slot) {
  return reinterpret_cast<Function>(slot);
}
