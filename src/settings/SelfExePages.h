#pragma once
// What the self-extractor settings pages do besides showing controls: storing a page (its values into the
// live record, then to the Self-Exe key, one write each, in the page's order) and the checks on the
// picture a page may name.

#include <string>

#include "base/MessageBoxes.h"
#include "settings/RegistryBackend.h"
#include "settings/RegistryKey.h"
#include "settings/Settings.h"

// edited holds the page's values (a copy of the live record taken when the page was made); only the
// page's own values are taken from it. Registry failures are not reported: live keeps the user's values.
void StoreLicencePage(IRegistryBackend& registry, const SelfExeSettings& edited, SelfExeSettings& live);
void StoreCreatePage(IRegistryBackend& registry, const SelfExeSettings& edited, SelfExeSettings& live);
void StoreVisualPage(IRegistryBackend& registry, const SelfExeSettings& edited, SelfExeSettings& live);
void StoreOptionsPage(IRegistryBackend& registry, const SelfExeSettings& edited, SelfExeSettings& live);

// A picture chosen in the file dialog or dropped: true when its name ends in ".bmp" in any case, else
// message 57703.
bool AcceptPictureName(const std::string& path, IMessageBoxes& boxes);

// Leaving the visual page: with the custom picture on, its file must open for reading, else message 107
// and the page stays.
bool PictureReadable(const SelfExeSettings& edited, IMessageBoxes& boxes);

// The most characters (UTF-16 units) an edit field takes: a longer text would be stored but read back as
// its default at the next start.
inline constexpr int kSelfExeTextCharacters = static_cast<int>(RegistryKey::kMaxStringBytes / 2 - 1);
