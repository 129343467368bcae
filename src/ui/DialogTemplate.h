#pragma once
// A dialog template of the program's resources, copied so that its window is created hidden: the modal loop
// shows it only after initialisation, and never when the dialog ended during it.

#include <windows.h>

#include <cstdint>
#include <vector>

// Empty when the module has no such dialog resource.
std::vector<uint8_t> LoadHiddenDialogTemplate(HINSTANCE module, int templateId);
