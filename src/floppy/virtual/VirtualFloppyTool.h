#pragma once
// vfloppy: creates, shows and dumps virtual floppy files (docs/virtual-floppy.md). The commands live here,
// in the portable core, so that tests run them; src/cli/vfloppy.cpp only passes the arguments through.

#include <string>
#include <vector>

inline constexpr int kToolDone = 0;
inline constexpr int kToolFailed = 1;  // a file could not be read or written
inline constexpr int kToolUsage = 2;   // the arguments were unusable

// arguments exclude the program name; out and err receive what the tool prints.
int RunVirtualFloppyTool(const std::vector<std::string>& arguments, std::string& out, std::string& err);

std::string VirtualFloppyToolUsage();
