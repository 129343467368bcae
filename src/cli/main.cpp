// diskelle: the POSIX command line front end.
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "cli/TerminalMessageBoxes.h"

int main(int argc, char** argv) {
  std::vector<std::string> arguments(argv, argv + argc);
  TerminalMessageBoxes boxes(stdin, stdout, stderr, ::isatty(0) != 0);
  for (const std::string& line : CommandLineHelpLines()) std::printf("%s\n", line.c_str());
  return arguments.size() > 1 ? kExitUnusable : kExitDone;
}
