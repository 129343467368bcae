// Converts a generated 1.44 MB floppy image img -> imz -> img with the program itself (diskelle /c) and times
// it against bzip2 on the same bytes, in the same run, round by round. The conversions put their file on the
// disk before they end, so their baseline is the durable one: bzip2 -9 (or bzip2 -d) followed by a sync of its
// output; the plain bzip2 figures are shown beside it. Every run is a child process timed from here, so both
// sides pay the same start-up and file costs; the conversions' peak memory is the children's peak resident
// set.
// Then the same disk from another tool's archive (an .imd this program wrote, an advanced-compression .td0
// crafted as Teledisk writes one) to .img against imz -> img.
//   convert <diskelle> <folder>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "ChildProcess.h"
#include "Fat12Floppy.h"
#include "Median.h"
#include "support/ArchiveFiles.h"
#include "base/File.h"
#include "image/trailer/Trailer.h"

namespace {

std::string ReadAll(const std::string& path) {
  File file = File::Open(path, FileMode::Read);
  std::string bytes;
  char chunk[65536];
  for (std::size_t got; file && (got = file.Read(chunk, sizeof chunk)) > 0;) bytes.append(chunk, got);
  return bytes;
}

int Benchmark(const std::string& diskelle, const std::string& folder) {
  const std::string img = folder + "/floppy.img", imz = folder + "/floppy.imz", back = folder + "/back.img";
  const std::string bz = folder + "/floppy.img.bz2", bzBack = folder + "/bzip2-back.img";
  // A settings file of its own: the conversions must not read or change the user's.
  ::setenv("DISKELLE_REGISTRY", (folder + "/settings.reg").c_str(), 1);
  std::vector<uint8_t> raw = MakeFat12Floppy();
  {
    File file = File::Open(img, FileMode::Create);
    if (!file || !file.Write(raw.data(), raw.size()) || !file.Close()) return 1;
  }

  constexpr int kRounds = 11;
  // [0] img -> imz, [1] imz -> img; theirs: bzip2 alone, durable: bzip2 and the sync of its output.
  std::vector<double> ours[2], theirs[2], durable[2];
  long peakKb = 0;
  for (int round = 0; round < kRounds; ++round) {
    ChildRun compress = RunChild({diskelle, "/c", "/i", img, "/o", imz});
    const double bzip2 = RunChild({"bzip2", "-9", "-c", img}, bz).seconds;
    theirs[0].push_back(bzip2);
    durable[0].push_back(bzip2 + SyncFile(bz));
    ChildRun decompress = RunChild({diskelle, "/c", "/i", imz, "/o", back});
    const double unpack = RunChild({"bzip2", "-d", "-c", bz}, bzBack).seconds;
    theirs[1].push_back(unpack);
    durable[1].push_back(unpack + SyncFile(bzBack));
    ours[0].push_back(compress.seconds);
    ours[1].push_back(decompress.seconds);
    peakKb = std::max({peakKb, compress.peakKb, decompress.peakKb});
  }

  std::string original(raw.begin(), raw.end());
  std::string ourStream = ReadAll(imz), theirStream = ReadAll(bz), ourBack = ReadAll(back);
  bool sameRaw = ourBack.size() == original.size() + kTrailerBytes && ourBack.compare(0, original.size(), original) == 0 &&
                 ReadAll(bzBack) == original;
  bool sameStream = ourStream.size() == theirStream.size() + kTrailerBytes &&
                    ourStream.compare(0, theirStream.size(), theirStream) == 0;

  std::printf("image: %zu bytes (FAT12 1.44 MB: text, executables, records, free space); bzip2 stream %zu bytes\n",
              original.size(), theirStream.size());
  std::printf("round trip gives the same raw bytes: %s; our .imz stream equals bzip2 -9 output: %s\n",
              sameRaw ? "yes" : "NO", sameStream ? "yes" : "NO");
  const char* names[2] = {"img -> imz (diskelle /c) vs bzip2 -9", "imz -> img (diskelle /c) vs bzip2 -d"};
  for (int i = 0; i < 2; ++i) {
    const double mine = Median(ours[i]);
    std::printf("%s: %.1f ms vs %.1f ms + sync = %.1f ms (medians of %d), ratio %.2f to the durable baseline "
                "(goal <= 1.00), %.2f to bzip2 alone\n",
                names[i], mine * 1000, Median(theirs[i]) * 1000, Median(durable[i]) * 1000, kRounds,
                mine / Median(durable[i]), mine / Median(theirs[i]));
  }
  std::printf("peak memory of a conversion process: %.1f MB (target <= 16 MB)\n", static_cast<double>(peakKb) / 1024);
  return sameRaw && sameStream ? 0 : 1;
}

// imd -> img and td0 -> img against imz -> img, the same disk, alternating round by round.
int ArchivesBenchmark(const std::string& diskelle, const std::string& folder) {
  const std::string img = folder + "/floppy.img", imz = folder + "/floppy.imz", imd = folder + "/floppy.imd";
  const std::string td0 = folder + "/floppy.td0";
  std::vector<uint8_t> raw = MakeFat12Floppy();
  const std::string original(raw.begin(), raw.end());
  {
    const std::string teledisk = CraftTd0(TracksOf(original, {80, 18}), {.advanced = true, .encoding = 2});
    File imgFile = File::Open(img, FileMode::Create), td0File = File::Open(td0, FileMode::Create);
    if (!imgFile || !imgFile.Write(raw.data(), raw.size()) || !imgFile.Close() || !td0File ||
        !td0File.Write(teledisk.data(), teledisk.size()) || !td0File.Close()) {
      return 1;
    }
  }
  RunChild({diskelle, "/c", "/i", img, "/o", imz});
  RunChild({diskelle, "/c", "/i", img, "/o", imd});

  constexpr int kRounds = 7;
  const std::string sources[3] = {imz, imd, td0};
  std::vector<double> seconds[3];
  bool sameRaw = true;
  for (int round = 0; round < kRounds; ++round) {
    for (int i = 0; i < 3; ++i) {
      const std::string back = folder + "/back" + std::to_string(i) + ".img";
      seconds[i].push_back(RunChild({diskelle, "/c", "/i", sources[i], "/o", back}).seconds);
      const std::string bytes = ReadAll(back);
      sameRaw = sameRaw && bytes.size() >= original.size() && bytes.compare(0, original.size(), original) == 0;
    }
  }
  std::printf("archives of the same disk: imz %zu, imd %zu, td0 (advanced compression) %zu bytes\n",
              ReadAll(imz).size(), ReadAll(imd).size(), ReadAll(td0).size());
  std::printf("every archive gives the same raw bytes: %s\n", sameRaw ? "yes" : "NO");
  const char* names[2] = {"imd -> img vs imz -> img", "td0 -> img vs imz -> img"};
  for (int i = 1; i < 3; ++i) {
    std::printf("%s: %.1f ms vs %.1f ms (median of %d), ratio %.2f (target <= 1.50)\n", names[i - 1],
                Median(seconds[i]) * 1000, Median(seconds[0]) * 1000, kRounds, Median(seconds[i]) / Median(seconds[0]));
  }
  return sameRaw ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3) {
    const int status = Benchmark(argv[1], argv[2]);
    std::printf("\n");
    return ArchivesBenchmark(argv[1], argv[2]) == 0 ? status : 1;
  }
  std::fprintf(stderr, "usage: convert <diskelle> <folder>\n");
  return 2;
}
