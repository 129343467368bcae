#pragma once
// The Windows shell associations of .img and .imz (a ProgID with its icon and three verbs, and the
// extension key naming it); .exe images are never associated.
//
// Registration and removal work below HKEY_CURRENT_USER\Software\Classes, never through
// HKEY_CLASSES_ROOT: a key written there lands in the machine-wide classes unless it already exists per
// user, and a user without administrator rights cannot write those. The shell's merged view reads the
// per-user classes first, so the result is the same for the user. IsAssociated reads the per-user classes
// first and then HKEY_CLASSES_ROOT (Wine does not merge the two; on Windows either order gives the merged
// view's answer).

#include <string>

#include "settings/RegistryBackend.h"

inline constexpr const char* kUserClassesKey = "Software\\Classes";

enum class ImageFileType { Img, Imz };

// 1 when the extension's open command contains programPath (exact, case-sensitive), 0 otherwise and on
// any failure.
int IsAssociated(IRegistryBackend& registry, const std::string& extension, const std::string& programPath);

// Every key of the type in order, each overwriting only its default value. Returns the first failure (the
// keys written before it stay) or kErrorSuccess.
long Register(IRegistryBackend& registry, ImageFileType type, const std::string& programPath);
// Removes the ProgID with all its verbs; the extension key stays. A type that is not registered is
// already removed.
long Unregister(IRegistryBackend& registry, ImageFileType type);

inline long RegisterImg(IRegistryBackend& registry, const std::string& programPath) {
  return Register(registry, ImageFileType::Img, programPath);
}
inline long RegisterImz(IRegistryBackend& registry, const std::string& programPath) {
  return Register(registry, ImageFileType::Imz, programPath);
}
inline long UnregisterImg(IRegistryBackend& registry) { return Unregister(registry, ImageFileType::Img); }
inline long UnregisterImz(IRegistryBackend& registry) { return Unregister(registry, ImageFileType::Imz); }

// Tells the shell that associations changed, so that icons and menus are redrawn.
class IShellNotifier {
 public:
  virtual ~IShellNotifier() = default;
  virtual void AssociationsChanged() = 0;
};

enum class AssociationChange { Keep, Register, Remove };

// One batch of changes (the settings sheet, the first start), followed by one notification when anything
// was changed; notifier may be null where no shell listens. Returns the first failure or kErrorSuccess.
long ChangeAssociations(IRegistryBackend& registry, const std::string& programPath, AssociationChange img,
                        AssociationChange imz, IShellNotifier* notifier);
