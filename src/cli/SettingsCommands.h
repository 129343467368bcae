#pragma once
// The POSIX program's settings options, in place of the Windows program's settings sheet: --settings lists
// every setting, --set NAME=VALUE stores one, --associate and --unassociate register the image types with
// the desktop.

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

class Application;

// The exit status when arguments ask for one of these options, nullopt when they ask for none of them.
std::optional<int> RunSettingsCommand(const std::vector<std::string>& arguments, Application& application,
                                      const std::string& registryPath, std::FILE* out, std::FILE* err);
