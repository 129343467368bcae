#pragma once
// "--version" and "-V" of both POSIX programs.

#include <string>
#include <vector>

// "--version" or "-V" as the only argument (arguments[0] is the program).
bool AsksForVersion(const std::vector<std::string>& arguments);

// "Diskelle 2.2.5", as the About box names the program.
std::string VersionLine();
