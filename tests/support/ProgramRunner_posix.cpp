#include "support/ProgramRunner_posix.h"

#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <grp.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <thread>

extern char** environ;

namespace {

std::string Drain(int fd) {
  std::string text;
  char buffer[4096];
  for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0 || (n < 0 && errno == EINTR);) {
    if (n > 0) text.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return text;
}

std::vector<std::string> Environment(const ProgramOptions& options) {
  std::map<std::string, std::string> all;
  for (char** e = environ; *e; ++e) {
    std::string entry(*e);
    std::size_t equals = entry.find('=');
    if (equals == std::string::npos || entry.rfind("DISKELLE_", 0) == 0) continue;
    all[entry.substr(0, equals)] = entry.substr(equals + 1);
  }
  for (const auto& [name, value] : options.env) all[name] = value;
  std::vector<std::string> entries;
  for (const auto& [name, value] : all) entries.push_back(name + "=" + value);
  return entries;
}

// A folder that every user can enter, removed with the test program.
class SharedFolder {
 public:
  SharedFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "diskelle-programs-XXXXXX").string();
    if (::mkdtemp(pattern.data()) && ::chmod(pattern.c_str(), 0755) == 0) path_ = pattern;
  }
  ~SharedFolder() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  SharedFolder(const SharedFolder&) = delete;
  SharedFolder& operator=(const SharedFolder&) = delete;
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

// The program as another user can start it. The build may lie in a folder only its owner can enter (a
// checkout under /root), so the other user runs a copy in a folder of its own; the programs need nothing
// else from the build folder (libraries and sanitizer runtimes come from the system). A copy that cannot be
// made leaves the original path, whose start then fails loudly (127) rather than being skipped.
std::string ReachableCopy(const std::string& program) {
  static SharedFolder folder;
  static std::map<std::string, std::string> copies;
  auto [entry, added] = copies.try_emplace(program, program);
  if (added && !folder.Path().empty()) {
    std::string copy = folder.Path() + "/" + std::to_string(copies.size()) + "-" +
                       std::filesystem::path(program).filename().string();
    std::error_code error;
    if (std::filesystem::copy_file(program, copy, error) && ::chmod(copy.c_str(), 0755) == 0) entry->second = copy;
  }
  return entry->second;
}

}  // namespace

ProgramRun RunProgramWith(const std::string& program, const std::vector<std::string>& arguments,
                          const ProgramOptions& options, const std::function<void(pid_t)>& whileRunning) {
  bool otherUser = options.user && ::geteuid() == 0;
  const std::string executable = otherUser ? ReachableCopy(program) : program;
  std::vector<std::string> argv{program};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  std::vector<char*> args;
  for (std::string& a : argv) args.push_back(a.data());
  args.push_back(nullptr);
  std::vector<std::string> entries = Environment(options);
  std::vector<char*> envp;
  for (std::string& e : entries) envp.push_back(e.data());
  envp.push_back(nullptr);

  int in[2], out[2], err[2];
  ProgramRun run;
  if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0) return run;
  gid_t group = 0;
  if (options.user) {
    const passwd* account = ::getpwuid(*options.user);
    group = account ? account->pw_gid : static_cast<gid_t>(*options.user);
  }
  pid_t pid = ::fork();
  if (pid == 0) {
    // Only async-signal-safe calls from here on.
    ::dup2(in[0], 0);
    if (!options.stdoutPath.empty()) {
      int file = ::open(options.stdoutPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (file < 0) ::_exit(126);
      ::dup2(file, 1);
    } else {
      ::dup2(out[1], 1);
    }
    ::dup2(err[1], 2);
    ::setpgid(0, 0);
    if (options.fileSizeLimit) {
      ::signal(SIGXFSZ, SIG_IGN);
      rlimit limit{*options.fileSizeLimit, *options.fileSizeLimit};
      ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    if (otherUser) {
      if (::setgroups(0, nullptr) != 0 || ::setgid(group) != 0 || ::setuid(*options.user) != 0) ::_exit(126);
    }
    ::execve(executable.c_str(), args.data(), envp.data());
    ::_exit(127);
  }
  ::close(in[0]);
  ::close(out[1]);
  ::close(err[1]);
  if (pid < 0) {
    ::close(in[1]);
    ::close(out[0]);
    ::close(err[0]);
    return run;
  }
  // Input, output and errors move at once: a program that fills one pipe while we wait on another would hang.
  std::thread feeder([fd = in[1], text = options.input] {
    ::signal(SIGPIPE, SIG_IGN);
    std::size_t done = 0;
    while (done < text.size()) {
      ssize_t n = ::write(fd, text.data() + done, text.size() - done);
      if (n <= 0) break;
      done += static_cast<std::size_t>(n);
    }
    ::close(fd);
  });
  std::thread outReader([&run, fd = out[0]] { run.out = Drain(fd); });
  std::atomic<bool> ended{false};
  std::thread watchdog([&ended, pid, limit = options.timeoutSeconds] {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(limit);
    while (!ended.load() && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (!ended.load()) ::kill(-pid, SIGKILL);
  });
  if (whileRunning) whileRunning(pid);
  run.err = Drain(err[0]);
  outReader.join();
  feeder.join();
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  ended = true;
  watchdog.join();
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return run;
}

ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                      const ProgramOptions& options) {
  return RunProgramWith(program, arguments, options, nullptr);
}

namespace {

bool WaitUntilStopped(pid_t pid) {
  siginfo_t info{};
  // WNOWAIT: an end is left for RunProgramWith to reap, with its status.
  while (::waitid(P_PID, static_cast<id_t>(pid), &info, WSTOPPED | WEXITED | WNOWAIT) != 0) {
    if (errno != EINTR) return false;
  }
  return info.si_code == CLD_STOPPED;
}

}  // namespace

bool WaitForHold(pid_t pid, const std::function<bool()>& where) {
  while (WaitUntilStopped(pid)) {
    if (!where || where()) return true;
    ::kill(pid, SIGCONT);
  }
  return false;
}

void ContinueToTheEnd(pid_t pid) {
  do {
    ::kill(pid, SIGCONT);
  } while (WaitUntilStopped(pid));
}

bool FileIsLocked(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return false;
  std::ifstream locks("/proc/locks");
  std::string line;
  const std::string inode = ":" + std::to_string(info.st_ino) + " ";
  while (std::getline(locks, line)) {
    if (line.find("FLOCK") != std::string::npos && line.find(inode) != std::string::npos) return true;
  }
  return false;
}

std::optional<uid_t> UnprivilegedUser() {
  if (::geteuid() != 0) return std::nullopt;
  const passwd* nobody = ::getpwnam("nobody");
  return nobody ? std::optional<uid_t>(nobody->pw_uid) : std::nullopt;
}
