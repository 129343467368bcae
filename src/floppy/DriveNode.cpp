#include "floppy/DriveNode.h"

char DriveLetterOf(const AppSettings& settings) {
  const std::string& letter = settings.m_fdLetter;
  return !letter.empty() && (letter[0] == 'B' || letter[0] == 'b') ? 'B' : 'A';
}

std::optional<std::string> DriveNodeFor(const EnvironmentLookup& environment, const AppSettings& settings,
                                        char letter) {
  std::optional<std::string> named = environment(std::string("DISKELLE_DRIVE_") + letter);
  if (named && !named->empty()) return named;
  const std::string& stored = letter == 'B' ? settings.m_driveBNode : settings.m_driveANode;
  if (!stored.empty()) return stored;
  return std::nullopt;
}
