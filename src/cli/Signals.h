#pragma once
// Signals of the POSIX front ends. Whatever ends the program, a save in progress must not leave its
// temporary file behind: every signal that would end it removes them first and then ends it as the signal
// would have. Ctrl-C is the exception once: the first asks the running job to cancel.

#include <atomic>

// Installs the handlers. When cancel is given, the first SIGINT only sets it; a second one ends the program.
// Signals that the caller's parent set to be ignored stay ignored.
void InstallSignalHandlers(std::atomic<bool>* cancel);
