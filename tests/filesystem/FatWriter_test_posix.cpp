// The writer on volumes other programs made, FAT12 and FAT16 (larger than any floppy image, so reached only
// here): files go into one run of clusters where the free space has one and into the gaps where it has not,
// and dosfstools and mtools judge the result.

#include <gtest/gtest.h>

#include <regex>

#include "filesystem/FatWriter.h"
#include "support/ImageTestSupport.h"
#include "support/ProgramRunner_posix.h"

namespace {

class FatWriterVolumes : public ImageFolder {
 protected:
  std::string Sh(const std::string& command) {
    ProgramOptions options;
    options.env = {{"MTOOLS_SKIP_CHECK", "1"}, {"LC_ALL", "C.UTF-8"}, {"PATH", "/usr/sbin:/usr/bin:/sbin:/bin"}};
    ProgramRun run = RunProgram("/bin/sh", {"-c", "cd '" + dir + "' && " + command}, options);
    EXPECT_EQ(run.exitCode, 0) << command << "\n" << run.out << run.err;
    return run.out;
  }
  // How many runs of clusters the file's chain has, as mshowfat shows them.
  int Runs(const std::string& path) {
    const std::string shown = Sh("mshowfat -i disk.img '::/" + path + "'");
    static const std::regex run("<[0-9-]+>");
    return static_cast<int>(std::distance(std::sregex_iterator(shown.begin(), shown.end(), run), std::sregex_iterator()));
  }
};

FileSource Source(const std::string& bytes) {
  return {bytes.size(), [bytes](std::span<uint8_t> into) {
            std::copy(bytes.begin(), bytes.end(), into.begin());
            return true;
          }};
}

TEST_F(FatWriterVolumes, FilesTakeOneRunWhereThereIsOneOnFat12AndFat16) {
  for (const char* make : {"mkfs.fat -F 12 -C disk.img 1440", "mkfs.fat -F 16 -s 1 -C disk.img 8192"}) {
    SCOPED_TRACE(make);
    Sh(std::string("rm -f disk.img && ") + make + " >/dev/null");
    const std::string bytes = ReadWhole(Path("disk.img"));
    const std::vector<uint8_t> blank(bytes.begin(), bytes.end());
    const uint64_t cluster = FatWriter::Open(blank)->ClusterBytes();
    const std::string a(10 * cluster, 'a'), b(10 * cluster, 'b'), c(15 * cluster, 'c'), d(12 * cluster, 'd');
    uint64_t rest = 0;
    // a and b into a folder, a deleted, then c too long for the gap a left: after b, in one run. The volume is
    // then filled but for the gap and two clusters more, and d, larger than the gap, goes into both.
    auto change = [&](FatWriter& writer, bool oneMore) {
      FatWriter::Folder folder = FatWriter::kRoot;
      ASSERT_EQ(writer.FindFolder("some/where", &folder, true, LocalTime{2001, 2, 3, 4, 5, 6}), FatChange::Done);
      ASSERT_EQ(writer.AddFile(folder, "a", Source(a), {}, false), FatChange::Done);
      ASSERT_EQ(writer.AddFile(folder, "b", Source(b), {}, false), FatChange::Done);
      ASSERT_EQ(writer.Remove("SOME/where/A"), FatChange::Done);
      ASSERT_EQ(writer.AddFile(folder, "c", Source(c), {}, false), FatChange::Done);
      rest = writer.FreeBytes() - 12 * cluster;
      ASSERT_EQ(writer.AddFile(FatWriter::kRoot, "filler", Source(std::string(rest, 'f')), {}, false), FatChange::Done);
      ASSERT_EQ(writer.AddFile(folder, "d", Source(d), {}, false), FatChange::Done);
      EXPECT_EQ(writer.FreeBytes(), 0u);
      if (oneMore) {
        ASSERT_EQ(writer.AddFile(folder, "e", Source("e"), {}, false), FatChange::Done);
      }
    };
    std::optional<FatWriter> full = FatWriter::Open(blank);
    change(*full, true);
    ASSERT_TRUE(full->Shortfall());
    EXPECT_EQ(full->Shortfall()->neededBytes, full->Shortfall()->freeBytes + cluster);
    EXPECT_FALSE(full->Finish());

    std::optional<FatWriter> writer = FatWriter::Open(blank);
    change(*writer, false);
    std::optional<std::vector<uint8_t>> volume = writer->Finish();
    ASSERT_TRUE(volume);
    WriteWhole(Path("disk.img"), std::string(volume->begin(), volume->end()));
    Sh("fsck.fat -n disk.img");
    EXPECT_EQ(Runs("some/where/b"), 1);
    EXPECT_EQ(Runs("some/where/c"), 1);
    EXPECT_EQ(Runs("some/where/d"), 2);
    Sh("rm -rf taken && mkdir taken && mcopy -i disk.img -s '::/*' taken/");
    EXPECT_TRUE(ReadWhole(Path("taken/some/where/c")) == c);
    EXPECT_TRUE(ReadWhole(Path("taken/some/where/d")) == d);
    EXPECT_EQ(ReadWhole(Path("taken/filler")).size(), rest);
  }
}

}  // namespace
