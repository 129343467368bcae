#include "cli/SelfExtractorStub.h"

#include <filesystem>

#include "base/File.h"

std::string SelfExtractorCarrier(const EnvironmentLookup& environment, const std::string& ownPath,
                                 const std::string& installedFolder) {
  if (std::optional<std::string> named = environment("DISKELLE_SFX"); named && !named->empty()) return *named;
  std::size_t slash = ownPath.find_last_of('/');
  std::string folder = slash == std::string::npos ? std::string() : ownPath.substr(0, slash + 1);
  const std::string installed =
      std::filesystem::path(folder + installedFolder + "/diskelle-sfx.exe").lexically_normal().string();
  for (const std::string& candidate : {folder + "diskelle-sfx.exe", installed}) {
    if (FileExists(candidate)) return candidate;
  }
  return installed;
}
