#pragma once
// The process's arguments as the usual Windows rules split them (double quotes group words); [0] is the
// program path. UTF-8.

#include <string>
#include <vector>

std::vector<std::string> ProgramArguments();

// path as a full path, taken from this process's working directory (path itself when the system cannot
// make one).
std::string FullPath(const std::string& path);
