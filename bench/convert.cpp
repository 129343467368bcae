// Converts a generated 1.44 MB floppy image img -> imz -> img with the product's code and times it against
// bzip2 -9 / bzip2 -d on the same bytes, in the same run. Every conversion and every bzip2 run is a child
// process timed from here, so both sides pay the same start-up and file costs; the conversions' peak memory
// is the children's peak resident set.
//   convert <folder>                 the benchmark
//   convert --to <source> <target>   one conversion (what the benchmark runs)
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "ChildProcess.h"
#include "Fat12Floppy.h"
#include "Median.h"
#include "StderrMessageBoxes.h"
#include "base/File.h"
#include "image/Conversion.h"

namespace {

int ConvertOnce(const std::string& sourcePath, const std::string& targetPath) {
  StderrMessageBoxes boxes;
  CImageInfo source, target;
  if (source.LoadInfo(sourcePath, boxes) != 0 || target.SetTarget(targetPath, boxes) != 0) return 1;
  ImageBuffer buffer;
  if (LoadConversionSource(source, buffer, boxes) != 0) return 1;
  SaveOptions options;
  options.suppress = true;
  return SaveImageFile(source, target, buffer, options, boxes) == 0 ? 0 : 1;
}

std::string ReadAll(const std::string& path) {
  File file = File::Open(path, FileMode::Read);
  std::string bytes;
  char chunk[65536];
  for (std::size_t got; file && (got = file.Read(chunk, sizeof chunk)) > 0;) bytes.append(chunk, got);
  return bytes;
}

int Benchmark(const std::string& folder) {
  const std::string self = OwnProgramPath();
  const std::string img = folder + "/floppy.img", imz = folder + "/floppy.imz", back = folder + "/back.img";
  const std::string bz = folder + "/floppy.img.bz2", bzBack = folder + "/bzip2-back.img";
  std::vector<uint8_t> raw = MakeFat12Floppy();
  {
    File file = File::Open(img, FileMode::Create);
    if (!file || !file.Write(raw.data(), raw.size()) || !file.Close()) return 1;
  }

  constexpr int kRounds = 7;
  std::vector<double> ours[2], theirs[2];
  long peakKb = 0;
  for (int round = 0; round < kRounds; ++round) {
    ChildRun compress = RunChild({self, "--to", img, imz});
    theirs[0].push_back(RunChild({"bzip2", "-9", "-c", img}, bz).seconds);
    ChildRun decompress = RunChild({self, "--to", imz, back});
    theirs[1].push_back(RunChild({"bzip2", "-d", "-c", bz}, bzBack).seconds);
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
  const char* names[2] = {"img -> imz vs bzip2 -9", "imz -> img vs bzip2 -d"};
  const double targets[2] = {1.10, 1.25};
  for (int i = 0; i < 2; ++i) {
    double ratio = Median(ours[i]) / Median(theirs[i]);
    std::printf("%s: %.1f ms vs %.1f ms (median of %d), ratio %.2f (target <= %.2f)\n", names[i],
                Median(ours[i]) * 1000, Median(theirs[i]) * 1000, kRounds, ratio, targets[i]);
  }
  std::printf("peak memory of a conversion process: %.1f MB (target <= 16 MB)\n", static_cast<double>(peakKb) / 1024);
  return sameRaw && sameStream ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::string(argv[1]) == "--to") return ConvertOnce(argv[2], argv[3]);
  if (argc == 2) return Benchmark(argv[1]);
  std::fprintf(stderr, "usage: convert <folder> | convert --to <source> <target>\n");
  return 2;
}
