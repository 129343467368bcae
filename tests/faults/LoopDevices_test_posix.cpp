// Block devices that are no floppy, named for drive A: as a user might by mistake: loop devices stand in for
// USB sticks and disks. Nothing may be read as a floppy from them nor written onto them.
#include <sys/mount.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "base/File.h"
#include "support/ProgramsFixture_posix.h"

namespace {

// A loop device over a file of the test, detached at the end.
class LoopDevice {
 public:
  LoopDevice(const std::string& file, bool partitions) {
    std::string command = "losetup -f --show " + file + " 2>/dev/null";
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
      char line[256] = {};
      if (std::fgets(line, sizeof line, pipe)) node_ = std::string(line, std::strcspn(line, "\n"));
      ::pclose(pipe);
    }
    // Added through the kernel's partition requests: not every kernel reads the table of a loop device.
    if (partitions && !node_.empty() && std::system(("partx -a " + node_ + " 2>/dev/null").c_str()) != 0) {
      partitionsFailed_ = true;
    }
  }
  ~LoopDevice() {
    // Partitions added by hand outlive the detach and would come back with the node's next file. Best
    // effort: the test has ended, and what it saw stands.
    if (node_.empty()) return;
    const std::string detach = "partx -d " + node_ + " >/dev/null 2>&1; losetup -d " + node_ + " 2>/dev/null";
    const int detached = std::system(detach.c_str());
    static_cast<void>(detached);
  }
  const std::string& Node() const { return node_; }
  bool PartitionsFailed() const { return partitionsFailed_; }

 private:
  std::string node_;
  bool partitionsFailed_ = false;
};

using LoopDevices = ProgramsTest;

// A partition table (one entry, type 0x0C from sector 1 to the end) in the first sector of a disk of bytes.
std::string PartitionedDisk(std::size_t bytes) {
  std::string disk(bytes, '\x5A');
  disk.replace(0, 512, std::string(512, '\0'));
  std::string entry = {'\0', '\0', '\0', '\0', '\x0C', '\0', '\0', '\0', '\x01', '\0', '\0', '\0'};
  uint32_t sectors = static_cast<uint32_t>(bytes / 512 - 1);
  for (int i = 0; i < 4; ++i) entry += static_cast<char>(sectors >> (8 * i) & 0xFF);
  disk.replace(446, 16, entry);
  disk[510] = '\x55';
  disk[511] = '\xAA';
  return disk;
}

TEST_F(LoopDevices, NoFloppyIsReadFromOrWrittenOnto) {
  if (::geteuid() != 0) GTEST_SKIP() << "loop devices need root";
  std::string floppy = NewFloppy("a.vfd", {"--format", "1440", "--fill", "random"});
  drives["DISKELLE_DRIVE_A"] = floppy;
  ASSERT_EQ(Diskelle({"/r", "/o", Path("source.img"), "/s"}).exitCode, 0);
  struct Case {
    const char* name;
    std::string content;
    bool partitions;
    bool mount;
  } cases[] = {
      {"a 64 MiB stick", PartitionedDisk(64u << 20), false, false},
      {"a 1.44 MB partitioned disk", PartitionedDisk(1474560), true, false},
      {"a 1.44 MB mounted file system", "", false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string backing = Path("backing.bin");
    if (c.mount) {
      WriteWhole(backing, std::string(1474560, '\0'));
      if (std::system(("mkfs.ext2 -q -F " + backing + " >/dev/null 2>&1").c_str()) != 0) {
        GTEST_SKIP() << "mkfs.ext2 is not installed";
      }
    } else {
      WriteWhole(backing, c.content);
    }
    std::string before = ReadWhole(backing);
    RemoveFile(Path("read.img"));
    LoopDevice loop(backing, c.partitions);
    if (loop.Node().empty()) GTEST_SKIP() << "no loop device could be set up (losetup -f --show)";
    if (loop.PartitionsFailed()) GTEST_SKIP() << "partx could not add the partition of a loop device";
    std::string mountPoint = Path("mounted");
    bool mounted = false;
    if (c.mount) {
      std::filesystem::create_directory(mountPoint);
      mounted = ::mount(loop.Node().c_str(), mountPoint.c_str(), "ext2", MS_RDONLY, nullptr) == 0;
      if (!mounted) GTEST_SKIP() << "this system does not let the test mount a loop device";
    }
    drives["DISKELLE_DRIVE_A"] = loop.Node();
    ProgramRun write = Diskelle({"/i", Path("source.img"), "/w", "/s"});
    ProgramRun read = Diskelle({"/r", "/o", Path("read.img"), "/s"});
    if (mounted) ::umount(mountPoint.c_str());
    EXPECT_EQ(write.exitCode, 1) << write.err;
    EXPECT_EQ(read.exitCode, 1) << read.err;
    EXPECT_TRUE(!(c.partitions || c.mount) || Contains(write.err, loop.Node())) << write.err;
    EXPECT_FALSE(FileExists(Path("read.img")));
    EXPECT_TRUE(ReadWhole(backing) == before);
  }
}

}  // namespace
