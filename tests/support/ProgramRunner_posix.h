#pragma once
// Runs the built programs as a user runs them: a fresh process with its own environment, arguments,
// standard input, and optionally the limits a hostile or unlucky system imposes (a file size limit that
// makes writes fail as on a full disk, an unprivileged user), or a signal sent while it runs.

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "support/Waiting.h"

struct ProgramRun {
  int exitCode = -1;  // 128 + signal number when a signal ended it
  std::string out, err;
};

struct ProgramOptions {
  std::map<std::string, std::string> env;  // set (an empty value is kept); every DISKELLE_ variable is unset first
  std::string input;                       // standard input (never a terminal)
  std::optional<unsigned long> fileSizeLimit;  // RLIMIT_FSIZE in bytes; SIGXFSZ is ignored, writes fail with EFBIG
  std::optional<uid_t> user;               // run as this user (and its group) when started as root
  std::string stdoutPath;                  // redirect standard output to this file instead of capturing it
  // A program that hangs is killed (exit 128 + SIGKILL), not waited for.
  int timeoutSeconds = static_cast<int>(std::chrono::duration_cast<std::chrono::seconds>(kWaitCeiling).count());
};

// Runs program to its end.
ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                      const ProgramOptions& options = {});

// Starts program, calls whileRunning with its process id (the test may signal it), then waits for its end.
ProgramRun RunProgramWith(const std::string& program, const std::vector<std::string>& arguments,
                          const ProgramOptions& options, const std::function<void(pid_t)>& whileRunning);

// The save path's test hook (docs/architecture.md): a program whose environment names a target's path in
// DISKELLE_HOLD_SAVE stops itself (SIGSTOP) at each save of that target once the temporary file is made, and
// again just before the temporary file takes the target's name or is removed. A test that must act on a job
// at such a hold (a signal, a second process) does so while the job is stopped there, then lets it go on.
inline constexpr char kHoldSaveVariable[] = "DISKELLE_HOLD_SAVE";
// Waits until the program stops at a hold where `where` holds (any hold when empty), letting it go on from
// the holds before: false when it ends first (or the watchdog ends it). An end is left for the runner to reap.
bool WaitForHold(pid_t pid, const std::function<bool()>& where = {});
// Lets a stopped program go on, and again at each later hold, until it ends.
void ContinueToTheEnd(pid_t pid);

// Whether a process holds a lock (flock) on the file now, as the kernel lists them: asking for the lock
// ourselves would take it from the process we wait for.
bool FileIsLocked(const std::string& path);

// The user "nobody" when this process runs as root (tests of permissions need a user that they bind).
std::optional<uid_t> UnprivilegedUser();
