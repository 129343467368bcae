#pragma once
// A second start while the program runs: the running instance comes forward and receives the first
// argument; this process then ends without a window of its own.

#include <string>
#include <vector>

#include "ui/InstanceChecker.h"

// The process exit code: 0 when there was nothing to hand over or the running instance took the one
// argument, 1 when it refused it (its message says why), could not be reached, or further arguments were
// dropped: the command line was not carried out.
int HandOverToRunningInstance(CInstanceChecker& checker, const std::vector<std::string>& arguments);
