#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "floppy/linux/LinuxSyscalls.h"

namespace {

// Kept per thread, as errno is.
thread_local int tError = 0;

class KernelSyscalls final : public ILinuxSyscalls {
 public:
  int Open(const std::string& path, int flags) override { return Keep(::open(path.c_str(), flags)); }
  int Ioctl(int fd, unsigned long request, void* argument) override { return Keep(::ioctl(fd, request, argument)); }
  int64_t Pread(int fd, void* buffer, std::size_t bytes, int64_t offset) override {
    return Keep(::pread(fd, buffer, bytes, static_cast<off_t>(offset)));
  }
  int64_t Pwrite(int fd, const void* buffer, std::size_t bytes, int64_t offset) override {
    return Keep(::pwrite(fd, buffer, bytes, static_cast<off_t>(offset)));
  }
  int Fsync(int fd) override { return Keep(::fsync(fd)); }
  int Close(int fd) override { return Keep(::close(fd)); }
  int Errno() override { return tError; }
  LinuxNode Stat(const std::string& path) override {
    LinuxNode node;
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) return node;
    node.exists = true;
    node.blockDevice = S_ISBLK(status.st_mode);
    node.regularFile = S_ISREG(status.st_mode);
    node.major = major(status.st_rdev);
    node.minor = minor(status.st_rdev);
    node.mode = status.st_mode & 07777;
    node.owner = std::to_string(status.st_uid);
    node.group = std::to_string(status.st_gid);
    std::vector<char> scratch(16384);
    struct group entry {};
    struct group* found = nullptr;
    if (::getgrgid_r(status.st_gid, &entry, scratch.data(), scratch.size(), &found) == 0 && found) {
      node.group = found->gr_name;
    }
    struct passwd user {};
    struct passwd* named = nullptr;
    if (::getpwuid_r(status.st_uid, &user, scratch.data(), scratch.size(), &named) == 0 && named) {
      node.owner = named->pw_name;
    }
    return node;
  }
  std::string ReadSystemText(const std::string& path) override {
    std::string text;
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return text;
    char chunk[4096];
    ssize_t got = 0;
    while ((got = ::read(fd, chunk, sizeof chunk)) > 0 && text.size() < (1u << 20)) text.append(chunk, static_cast<std::size_t>(got));
    ::close(fd);
    return text;
  }

  bool Privileged() override { return ::geteuid() == 0; }

 private:
  template <typename T>
  T Keep(T result) {
    tError = result < 0 ? errno : 0;
    return result;
  }
};

}  // namespace

std::unique_ptr<ILinuxSyscalls> LinuxKernelSyscalls() { return std::make_unique<KernelSyscalls>(); }
