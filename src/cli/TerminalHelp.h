#pragma once
// The POSIX program's help: the command-line help under the name the program was called by, followed by
// its own settings options, the environment variables it reads and its exit codes.

#include <string>
#include <vector>

#include "cli/HelpTexts.h"

// "--help", "-h" or "/?" as the only argument.
bool AsksForHelp(const std::vector<std::string>& arguments);

// Long options are recognised in any case, as switches are: the first argument, --resume and --verbose, when
// made of "--" and letters or hyphens, are put in lower case; operands (of /d, /i, /o, or of an option) stay as
// given.
void LowerLongOptions(std::vector<std::string>& arguments);

// Removes every "--resume" from the arguments (the rest is the shared command line): true when there was one.
bool TakeResumeOption(std::vector<std::string>& arguments);
// The same for "--verbose" and "-v" (a line per track while a capture is decoded).
bool TakeVerboseOption(std::vector<std::string>& arguments);

// The name the program was called by: the last part of argument 0.
std::string ProgramName(const std::vector<std::string>& arguments);

std::vector<std::string> TerminalHelpLines(const std::string& programName, HelpLanguage language);
