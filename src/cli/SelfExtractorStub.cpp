#include "cli/SelfExtractorStub.h"

#include "base/File.h"

std::string SelfExtractorCarrier(const EnvironmentLookup& environment, const std::string& ownPath) {
  if (std::optional<std::string> named = environment("DISKELLE_SFX"); named && !named->empty()) return *named;
  std::size_t slash = ownPath.find_last_of('/');
  std::string beside = (slash == std::string::npos ? std::string() : ownPath.substr(0, slash + 1)) + "diskelle-sfx.exe";
  return FileExists(beside) ? beside : ownPath;
}
