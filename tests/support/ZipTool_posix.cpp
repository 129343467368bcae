#include "support/ZipTool.h"

#include "base/File.h"
#include "support/ProgramRunner_posix.h"

bool RunZipTool(const std::vector<std::string>& options, const std::string& archive,
                const std::vector<std::string>& members) {
  if (FileExists(archive)) return false;
  std::vector<std::string> arguments{"-q"};
  arguments.insert(arguments.end(), options.begin(), options.end());
  arguments.push_back(archive);
  arguments.insert(arguments.end(), members.begin(), members.end());
  return RunProgram("/usr/bin/zip", arguments).exitCode == 0 && FileExists(archive);
}
