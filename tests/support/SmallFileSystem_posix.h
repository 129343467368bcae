#pragma once
// A folder of its own small file system (tmpfs), unmounted at the end: a disk that fills up, or one mounted
// read-only. Mounting needs root; a test skips when Mounted() is false.

#include <sys/mount.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <string>

class SmallFileSystem {
 public:
  SmallFileSystem(const std::string& folder, const char* size, unsigned long flags = 0) : folder_(folder) {
    ::mkdir(folder.c_str(), 0700);
    mounted_ = ::mount("tmpfs", folder.c_str(), "tmpfs", flags, (std::string("size=") + size).c_str()) == 0;
    if (!mounted_) why_ = std::strerror(errno);
  }
  ~SmallFileSystem() {
    if (mounted_) ::umount2(folder_.c_str(), MNT_DETACH);
  }
  SmallFileSystem(const SmallFileSystem&) = delete;
  SmallFileSystem& operator=(const SmallFileSystem&) = delete;
  bool Mounted() const { return mounted_; }
  const std::string& Why() const { return why_; }
  bool Resize(const char* size) {
    return ::mount("tmpfs", folder_.c_str(), "tmpfs", MS_REMOUNT, (std::string("size=") + size).c_str()) == 0;
  }

 private:
  std::string folder_;
  bool mounted_ = false;
  std::string why_;
};
