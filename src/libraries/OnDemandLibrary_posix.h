#pragma once
// A shared library opened when a command first calls into it rather than by the loader at every start: most
// commands (--version, --files of an .img) never compress, and each library mapped at start costs as much
// as the rest of a short command. The program is linked against this file's forwarding functions instead of
// the library itself; the Debian package names the library among its dependencies.

#include <initializer_list>

// Opens soname and looks up each name into the matching slot; false (said on stderr) when the library or a
// function is missing. Callers keep the outcome, so that each library is opened, or refused, once.
bool OpenOnDemand(const char* soname, std::initializer_list<const char*> names, void** slots);

// The library's function in slots[index], typed as its declaration in the library's header; null when the
// library could not be opened (slots null).
template <typename Function>
Function SlotFunction(void* const* slots, int index) {
  return slots ? reinterpret_cast<Function>(slots[index]) : nullptr;
}
