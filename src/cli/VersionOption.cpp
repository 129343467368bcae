#include "cli/VersionOption.h"

#include "base/Format.h"
#include "base/Texts.h"
#include "base/Version.h"

bool AsksForVersion(const std::vector<std::string>& arguments) {
  return arguments.size() == 2 && (arguments[1] == "--version" || arguments[1] == "-V");
}

std::string VersionLine() { return FormatText(kTextAboutNameVersion, {TextOf(kTextAppTitle), kProgramVersion}); }
