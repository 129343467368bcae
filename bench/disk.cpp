// The track engine over the simulated drive. For each format: the simulated seconds of a read, of a write
// with format and verification, and of an emergency read of a disk with 5 bad sectors, each beside the drive
// model's physical limit (one pass over the medium); then resumes of that emergency image: in the same drive
// (the sectors stay bad, each costing the driver's retries) and in a drive that reads them (the merge), the
// latter required under a tenth of a whole read. Then the engine's CPU time for a 1.44 MB disk beside a
// plain copy of the same bytes in the same run (the simulated drive never sleeps, so the process CPU clock
// counts only work), and the peak memory of a job process for the smallest and the largest disk.
//   disk <folder>                          the benchmark
//   disk --read|--write <floppy> <image>   one job over a virtual floppy file (the memory runs)
//   disk --hold <floppy>                   the drive's sessions alone: loading and saving the file
#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ChildProcess.h"
#include "DiskJobRun.h"
#include "Fat12Floppy.h"
#include "Median.h"
#include "PeakMemory.h"
#include "VirtualDrives.h"
#include "base/File.h"
#include "floppy/virtual/DriveTiming.h"

namespace {

constexpr int kBadSectors = 5;
constexpr int kRounds = 7;
// A read opens the drive twice (geometry, then data); the memory runs give the drive alone as many sessions.
constexpr int kJobSessions = 2;

[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "%s failed\n", what.c_str());
  std::exit(1);
}

double CpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

double Seconds(int64_t nanoseconds) { return static_cast<double>(nanoseconds) / 1e9; }

// Sectors spread over the whole disk, away from the boot sector.
std::string BadSectorList(const FloppyGeometry& geometry) {
  std::string list;
  for (int i = 0; i < kBadSectors; ++i) {
    if (i > 0) list += ',';
    list += std::to_string(geometry.TotalSectors() * (2 * i + 1) / (2 * kBadSectors));
  }
  return list;
}

bool SameSectors(const VirtualFloppy& a, const VirtualFloppy& b) {
  if (!(a.geometry == b.geometry)) return false;
  for (int64_t sector = 0; sector < a.geometry.TotalSectors(); ++sector) {
    const uint8_t* left = a.ReadableSector(sector);
    const uint8_t* right = b.ReadableSector(sector);
    if (!left || !right || std::memcmp(left, right, kSectorBytes) != 0) return false;
  }
  return true;
}

// Simulated seconds that the job spends on the drive.
double JobSeconds(DiskJobKind kind, const AppSettings& settings, MemoryDrive& drive, const std::string& image,
                  std::vector<uint32_t>* badSectorOffsets = nullptr, bool resume = false) {
  int64_t before = drive.ClockNanoseconds();
  if (RunDiskJob(kind, settings, *drive.devices, image, badSectorOffsets, resume) != 0) Fail("a job on " + image);
  return Seconds(drive.ClockNanoseconds() - before);
}

AppSettings EmergencySettings() {
  AppSettings settings;
  settings.m_emergency = 1;
  return settings;
}

AppSettings FormatAndVerifySettings() {
  AppSettings settings;
  settings.m_formatDisk = 1;
  settings.m_verifyFormat = 1;
  settings.m_verifyWrite = 1;
  return settings;
}

// The three jobs on one format, printed as a row; false when a job did not do what it should.
bool SimulatedTimes(const FloppyFormat& format, const std::string& folder) {
  const FloppyGeometry geometry{format.tracks, format.sectorsPerTrack};
  const std::string kb = std::to_string(format.key), base = folder + "/" + kb;
  RunVfloppy({"create", base + "-fat12.vfd", "--force", "--format", kb});
  RunVfloppy({"create", base + "-bad.vfd", "--force", "--format", kb, "--bad", BadSectorList(geometry)});
  RunVfloppy({"create", base + "-random.vfd", "--force", "--format", kb, "--fill", "random"});
  const VirtualFloppy source = LoadFloppyOrExit(base + "-fat12.vfd");

  MemoryDrive reading(source);
  double read = JobSeconds(DiskJobKind::Read, AppSettings(), reading, base + ".img");
  MemoryDrive damaged(LoadFloppyOrExit(base + "-bad.vfd"));
  std::vector<uint32_t> offsets;
  double emergency = JobSeconds(DiskJobKind::Read, EmergencySettings(), damaged, base + "-rescued.img", &offsets);
  std::vector<uint32_t> stillBad, recovered;
  double resumeBad =
      JobSeconds(DiskJobKind::Read, EmergencySettings(), damaged, base + "-rescued.img", &stillBad, true);
  MemoryDrive healthy(source);
  double resume =
      JobSeconds(DiskJobKind::Read, EmergencySettings(), healthy, base + "-rescued.img", &recovered, true);
  MemoryDrive writing(LoadFloppyOrExit(base + "-random.vfd"));
  double write = JobSeconds(DiskJobKind::Write, FormatAndVerifySettings(), writing, base + ".img");
  bool written = SameSectors(writing.store->floppy, source);

  double limit = Seconds(PhysicalPassNanoseconds(geometry));
  // Only the bad sectors go to the drive again: a resume must cost a small part of a whole read.
  bool resumeCheap = resume < 0.1 * read && stillBad == offsets && recovered.empty();
  std::printf("%5d KB  %6.1f s   %6.1f s %5.2f   %6.1f s %5.2f   %6.1f s %5.2f   %d of %d     %-12s  %5.1f s %5.3f   "
              "%5.1f s %5.3f%s\n",
              format.key, limit, read, read / limit, write, write / limit, emergency, emergency / limit,
              static_cast<int>(offsets.size()), kBadSectors, written ? "yes" : "NO", resumeBad, resumeBad / read,
              resume, resume / read, resumeCheap ? "" : "  TOO SLOW");
  return written && offsets.size() == kBadSectors && resumeCheap;
}

bool CopyFile(const std::string& from, const std::string& to) {
  std::optional<uint64_t> size = FileSize(from);
  File source = File::Open(from, FileMode::Read);
  if (!size || !source) return false;
  std::vector<uint8_t> bytes(static_cast<std::size_t>(*size));
  if (source.Read(bytes.data(), bytes.size()) != bytes.size()) return false;
  File target = File::Open(to, FileMode::Create);
  bool written = target && target.Write(bytes.data(), bytes.size());
  return target.Close() && written;
}

// CPU seconds of each round's work, median over the rounds.
struct CpuTimes {
  std::vector<double> read, write, drive, fileCopy, memoryCopy;
};

void CpuTime(const std::string& folder) {
  const std::vector<uint8_t> raw = MakeFat12Floppy();
  const std::string rawPath = folder + "/cpu-raw.img", image = folder + "/cpu.img";
  {
    File file = File::Open(rawPath, FileMode::Create);
    if (!file || !file.Write(raw.data(), raw.size()) || !file.Close()) Fail("writing " + rawPath);
  }
  RunVfloppy({"create", folder + "/cpu.vfd", "--force", "--format", "1440", "--from", rawPath});
  const VirtualFloppy source = LoadFloppyOrExit(folder + "/cpu.vfd");
  std::vector<uint8_t> copy(raw.size(), 1);
  volatile uint8_t sink = 0;

  CpuTimes times;
  for (int round = 0; round < kRounds; ++round) {
    MemoryDrive reading(source);
    double start = CpuSeconds();
    if (RunDiskJob(DiskJobKind::Read, AppSettings(), *reading.devices, image) != 0) Fail("the read job");
    times.read.push_back(CpuSeconds() - start);

    MemoryDrive writing(source);
    start = CpuSeconds();
    if (RunDiskJob(DiskJobKind::Write, AppSettings(), *writing.devices, image) != 0) Fail("the write job");
    times.write.push_back(CpuSeconds() - start);

    MemoryDrive holding(source);
    start = CpuSeconds();
    if (HoldDrive(*holding.devices, kJobSessions) != 0) Fail("opening the drive");
    times.drive.push_back(CpuSeconds() - start);

    start = CpuSeconds();
    if (!CopyFile(rawPath, folder + "/cpu-copy.img")) Fail("the file copy");
    times.fileCopy.push_back(CpuSeconds() - start);

    start = CpuSeconds();
    std::memcpy(copy.data(), raw.data(), raw.size());
    sink = copy[static_cast<std::size_t>(round) * 4099];
    times.memoryCopy.push_back(CpuSeconds() - start);
  }
  (void)sink;

  double read = Median(times.read), write = Median(times.write), fileCopy = Median(times.fileCopy);
  double memoryCopy = Median(times.memoryCopy);
  std::printf("\nCPU time, 1440 KB disk (%zu bytes), process CPU clock, median of %d rounds; the simulated drive\n"
              "never waits, so these are the work alone:\n",
              raw.size(), kRounds);
  std::printf("  read job, disk -> .img (drive in memory)         %8.3f ms\n", read * 1000);
  std::printf("  write job, .img -> disk, verified                %8.3f ms\n", write * 1000);
  std::printf("  the drive's 2 sessions alone (part of each job)  %8.3f ms\n", Median(times.drive) * 1000);
  std::printf("  file copy of the same bytes (read, write)        %8.3f ms\n", fileCopy * 1000);
  std::printf("  memcpy of the same bytes                         %8.3f ms\n", memoryCopy * 1000);
  std::printf("  ratio read job / file copy %.1f, write job / file copy %.1f; read job / memcpy %.0f\n",
              read / fileCopy, write / fileCopy, read / memoryCopy);
}

struct Peak {
  long residentKb = 0;
  int64_t heapBytes = 0;
};

// The peaks that a child mode prints as its last words.
Peak ChildPeak(const std::vector<std::string>& argv, const std::string& outputPath) {
  RunChild(argv, outputPath);
  File output = File::Open(outputPath, FileMode::Read);
  char text[64] = {};
  if (!output || output.Read(text, sizeof text - 1) == 0) Fail(argv[1]);
  char* end = nullptr;
  Peak peak;
  peak.residentKb = std::strtol(text, &end, 10);
  peak.heapBytes = std::strtoll(end, nullptr, 10);
  return peak;
}

void PrintPeakRow(const char* name, const Peak (&peaks)[2]) {
  std::printf("  %-46s %6.1f MB %6.1f MB  %7.1f KB %7.1f KB\n", name, static_cast<double>(peaks[0].residentKb) / 1024,
              static_cast<double>(peaks[1].residentKb) / 1024, static_cast<double>(peaks[0].heapBytes) / 1024,
              static_cast<double>(peaks[1].heapBytes) / 1024);
}

void PeakMemory(const std::string& folder) {
  const std::string self = OwnProgramPath();
  std::printf("\nPeak memory of one process over a virtual floppy file (the drive as $DISKELLE_DRIVE_A makes it). The\n"
              "simulated drive holds the whole medium; the drive alone opens and closes it as a job does. The resident\n"
              "peak also counts freed copies of the medium that the allocator keeps; the heap peak is what was live:\n");
  std::printf("  %-46s %19s  %21s\n", "", "resident (VmHWM)", "heap (operator new)");
  std::printf("  %-46s %9s %9s  %10s %10s\n", "", "360 KB", "1680 KB", "360 KB", "1680 KB");
  Peak peaks[3][2];
  const char* const sizes[2] = {"360", "1680"};
  for (int i = 0; i < 2; ++i) {
    const std::string base = folder + "/memory-" + sizes[i];
    RunVfloppy({"create", base + ".vfd", "--force", "--format", sizes[i]});
    RunVfloppy({"create", base + "-target.vfd", "--force", "--format", sizes[i], "--fill", "random"});
    peaks[0][i] = ChildPeak({self, "--read", base + ".vfd", base + ".img"}, base + ".peak");
    peaks[1][i] = ChildPeak({self, "--write", base + "-target.vfd", base + ".img"}, base + ".peak");
    peaks[2][i] = ChildPeak({self, "--hold", base + ".vfd"}, base + ".peak");
  }
  PrintPeakRow("read job (disk -> .img)", peaks[0]);
  PrintPeakRow("write job with format + verify (.img -> disk)", peaks[1]);
  PrintPeakRow("the drive alone (no job)", peaks[2]);
  for (int row = 0; row < 2; ++row) {
    Peak share[2];
    for (int i = 0; i < 2; ++i) {
      share[i] = {peaks[row][i].residentKb - peaks[2][i].residentKb, peaks[row][i].heapBytes - peaks[2][i].heapBytes};
    }
    PrintPeakRow(row == 0 ? "read job minus the drive alone" : "write job minus the drive alone", share);
  }
}

int Benchmark(const std::string& folder) {
  std::printf("Simulated seconds (the virtual floppy's clock, spin-ups included) against the physical limit of one\n"
              "pass over the medium (one revolution per track side and a step per track). A write with format and\n"
              "verification makes four passes (format, verify, write, verify), so its floor is ratio 4. The 1680 KB\n"
              "format interleaves its sector IDs 2:1, so a side read or written in ID order takes two revolutions.\n\n");
  std::printf("%-8s  %8s   %14s   %14s   %14s   %-9s  %-12s  %s\n", "format", "limit", "read, ratio", "write, ratio",
              "emergency", "bad found", "disk = image", "resume: still bad / read, read now / read");
  bool ok = true;
  for (const FloppyFormat& format : FloppyFormats()) ok = SimulatedTimes(format, folder) && ok;
  CpuTime(folder);
  PeakMemory(folder);
  return ok ? 0 : 1;
}

// A child mode's end: its peaks on stdout.
int ReportPeak(int result) {
  if (result == 0) std::printf("%ld %lld\n", OwnPeakKb(), static_cast<long long>(OwnPeakHeapBytes()));
  return result == 0 ? 0 : 1;
}

int RunJobOnFile(DiskJobKind kind, const std::string& floppy, const std::string& image) {
  std::unique_ptr<IFloppyDeviceFactory> devices = FileDrive(floppy);
  AppSettings settings = kind == DiskJobKind::Write ? FormatAndVerifySettings() : AppSettings();
  return ReportPeak(RunDiskJob(kind, settings, *devices, image));
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() == 3 && args[0] == "--read") return RunJobOnFile(DiskJobKind::Read, args[1], args[2]);
  if (args.size() == 3 && args[0] == "--write") return RunJobOnFile(DiskJobKind::Write, args[1], args[2]);
  if (args.size() == 2 && args[0] == "--hold") return ReportPeak(HoldDrive(*FileDrive(args[1]), kJobSessions));
  if (args.size() == 1) return Benchmark(args[0]);
  std::fprintf(stderr, "usage: disk <folder> | disk --read|--write <floppy> <image> | disk --hold <floppy>\n");
  return 2;
}
