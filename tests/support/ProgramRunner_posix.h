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
  int timeoutSeconds = 120;                // a program that hangs is killed (exit 128 + SIGKILL), not waited for
};

// Runs program to its end.
ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                      const ProgramOptions& options = {});

// Starts program, calls whileRunning with its process id (the test may signal it), then waits for its end.
ProgramRun RunProgramWith(const std::string& program, const std::vector<std::string>& arguments,
                          const ProgramOptions& options, const std::function<void(pid_t)>& whileRunning);

// Waits until condition holds, checking every 2 ms; false once limit has passed. A test that acts on a running
// program (a signal, a second process) waits for the state it needs this way, never for a fixed time.
bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit = std::chrono::seconds(60));

// The user "nobody" when this process runs as root (tests of permissions need a user that they bind).
std::optional<uid_t> UnprivilegedUser();
