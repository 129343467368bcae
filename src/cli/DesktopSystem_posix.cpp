#include <pwd.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "cli/DesktopAssociation.h"

extern char** environ;

namespace {

std::string Variable(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

std::optional<std::string> FindOnPath(const std::string& name) {
  std::string path = Variable("PATH");
  for (std::size_t start = 0; start <= path.size();) {
    std::size_t end = path.find(':', start);
    if (end == std::string::npos) end = path.size();
    std::string folder = path.substr(start, end - start);
    std::string candidate = folder + "/" + name;
    // An empty entry would mean the current folder: never run a tool that happens to lie there.
    if (!folder.empty() && ::access(candidate.c_str(), X_OK) == 0) return candidate;
    start = end + 1;
  }
  return std::nullopt;
}

}  // namespace

std::string DesktopDataHome() {
  std::string data = Variable("XDG_DATA_HOME");
  if (!data.empty() && data[0] == '/') return data;
  std::string home = Variable("HOME");
  if (home.empty()) {
    if (const passwd* user = ::getpwuid(::getuid())) home = user->pw_dir;
  }
  return home + "/.local/share";
}

std::optional<int> RunDesktopTool(const std::vector<std::string>& arguments) {
  std::optional<std::string> program = FindOnPath(arguments.at(0));
  if (!program) return std::nullopt;
  std::vector<char*> argv;
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  pid_t child = 0;
  if (::posix_spawn(&child, program->c_str(), nullptr, nullptr, argv.data(), environ) != 0) return -1;
  int status = 0;
  while (::waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
