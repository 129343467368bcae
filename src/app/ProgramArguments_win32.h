#pragma once
// The process's arguments as the usual Windows rules split them (double quotes group words); [0] is the
// program path. UTF-8.

#include <string>
#include <vector>

std::vector<std::string> ProgramArguments();
