#include "floppy/virtual/VirtualFloppyTool.h"

#include <cstdio>
#include <cstring>
#include <optional>
#include <random>

#include "base/File.h"
#include "filesystem/Fat12.h"
#include "floppy/virtual/SectorList.h"
#include "floppy/virtual/VirtualFloppyFile.h"

namespace {

struct CreateOptions {
  std::string path;
  std::optional<FloppyGeometry> geometry;
  std::string from;
  std::string fill = "zero";
  std::string bad;
  bool writeProtect = false, noDisk = false, noFormat = false, force = false;
};

std::optional<FloppyGeometry> GeometryOfFormat(const std::string& size) {
  for (const FloppyFormat& format : FloppyFormats()) {
    if (size == std::to_string(format.key)) return FloppyGeometry{format.tracks, format.sectorsPerTrack};
  }
  return std::nullopt;
}

// Parses "create FILE options..."; false with a message in err.
bool ParseCreate(const std::vector<std::string>& arguments, CreateOptions& options, std::string& err) {
  if (arguments.size() < 2 || arguments[1].rfind("--", 0) == 0) {
    err = "create: FILE is missing\n";
    return false;
  }
  options.path = arguments[1];
  for (std::size_t i = 2; i < arguments.size(); ++i) {
    const std::string& option = arguments[i];
    bool hasValue = i + 1 < arguments.size();
    if (option == "--write-protect") {
      options.writeProtect = true;
    } else if (option == "--no-disk") {
      options.noDisk = true;
    } else if (option == "--no-format") {
      options.noFormat = true;
    } else if (option == "--force") {
      options.force = true;
    } else if ((option == "--format" || option == "--from" || option == "--fill" || option == "--bad") && hasValue) {
      const std::string& value = arguments[++i];
      if (option == "--format") {
        options.geometry = GeometryOfFormat(value);
        if (!options.geometry) {
          err = "create: unknown format " + value + "\n";
          return false;
        }
      } else if (option == "--from") {
        options.from = value;
      } else if (option == "--fill") {
        options.fill = value;
      } else {
        options.bad = value;
      }
    } else {
      err = "create: unknown option or missing value: " + option + "\n";
      return false;
    }
  }
  if (!options.geometry) {
    err = "create: --format is required\n";
    return false;
  }
  if (options.fill != "zero" && options.fill != "random") {
    err = "create: --fill takes zero or random\n";
    return false;
  }
  return true;
}

// Why a save did not happen, in words; empty when it did.
std::string SaveProblem(FileSave::Start start) {
  switch (start) {
    case FileSave::Start::Ready: return {};
    case FileSave::Start::NotRegular: return "not a regular file; only files are replaced";
    case FileSave::Start::ReadOnly: return "read-only";
    case FileSave::Start::CannotCreate: break;
  }
  return "cannot write (disk full, or no permission in its folder?)";
}

// Puts disk-order bytes onto the medium, sector by sector where each sector's ID lies.
void PutSectors(VirtualFloppy& floppy, const std::vector<uint8_t>& bytes) {
  for (int64_t sector = 0; sector < floppy.SlotCount(); ++sector) {
    int64_t slot = floppy.SlotOfSector(sector);
    std::memcpy(floppy.SlotData(slot), bytes.data() + sector * kSectorBytes, kSectorBytes);
  }
}

int Create(const std::vector<std::string>& arguments, std::string& out, std::string& err) {
  CreateOptions options;
  if (!ParseCreate(arguments, options, err)) return kToolUsage;
  VirtualFloppy floppy = NewVirtualFloppy(*options.geometry);
  std::optional<std::vector<int64_t>> bad = ParseSectorList(options.bad, floppy.SlotCount());
  if (!bad) {
    err = "create: --bad takes sector indexes and ranges below " + std::to_string(floppy.SlotCount()) +
          ", e.g. 37,100-103\n";
    return kToolUsage;
  }
  if (!options.force && FileExists(options.path)) {
    err = "create: " + options.path + " exists (--force replaces it)\n";
    return kToolFailed;
  }
  // A drive in use keeps its disk: a program that has it would otherwise write its own back over ours.
  FileLock drive;
  if (drive.Acquire(options.path) == FileLock::Result::Busy) {
    err = "create: " + options.path + " is in use by another program (a drive with a job running)\n";
    return kToolFailed;
  }
  std::vector<uint8_t> bytes;
  if (!options.from.empty()) {
    std::optional<uint64_t> size = FileSize(options.from);
    File raw = File::Open(options.from, FileMode::Read);
    if (!size || !raw || *size != static_cast<uint64_t>(options.geometry->TotalBytes())) {
      err = "create: " + options.from + " is not a raw image of " + std::to_string(options.geometry->TotalBytes()) +
            " bytes\n";
      return kToolFailed;
    }
    bytes.resize(static_cast<std::size_t>(*size));
    if (raw.Read(bytes.data(), bytes.size()) != bytes.size()) {
      err = "create: cannot read " + options.from + "\n";
      return kToolFailed;
    }
  } else if (options.fill == "random") {
    bytes.resize(static_cast<std::size_t>(options.geometry->TotalBytes()));
    std::mt19937_64 random{std::random_device{}()};
    for (uint8_t& byte : bytes) byte = static_cast<uint8_t>(random());
  } else {
    bytes = BlankFat12Volume(*options.geometry);
  }
  PutSectors(floppy, bytes);
  for (int64_t sector : *bad) {
    floppy.slots[static_cast<std::size_t>(floppy.SlotOfSector(sector))].faults |= kSlotUnreadable | kSlotUnwritable;
  }
  floppy.writeProtected = options.writeProtect;
  floppy.diskAbsent = options.noDisk;
  floppy.refusesFormat = options.noFormat;
  std::vector<uint8_t> encoded = EncodeVirtualFloppy(floppy);
  std::string problem = SaveProblem(SaveWholeFile(options.path, encoded.data(), encoded.size()));
  if (!problem.empty()) {
    err = "create: " + options.path + ": " + problem + "\n";
    return kToolFailed;
  }
  out = "created " + options.path + "\n";
  return kToolDone;
}

std::optional<VirtualFloppy> Load(const std::string& command, const std::string& path, std::string& err) {
  VirtualFloppyLoad load = LoadVirtualFloppy(path);
  if (!load.floppy) err = command + ": " + path + ": " + load.problem + "\n";
  return std::move(load.floppy);
}

std::string Show(const VirtualFloppy& floppy) {
  std::vector<int64_t> unreadable, unwritable, notFound;
  for (int64_t sector = 0; sector < floppy.SlotCount(); ++sector) {
    int64_t slot = floppy.SlotOfSector(sector);
    if (slot < 0) {
      notFound.push_back(sector);
      continue;
    }
    uint8_t faults = floppy.slots[static_cast<std::size_t>(slot)].faults;
    if (faults & kSlotUnreadable) unreadable.push_back(sector);
    if (faults & kSlotUnwritable) unwritable.push_back(sector);
  }
  int64_t idZero = 0;
  for (const SectorSlot& slot : floppy.slots) idZero += slot.id == 0 && (slot.faults & kSlotNoAddressMark) == 0;
  const FloppyGeometry& g = floppy.geometry;
  std::optional<Fat12Space> space =
      MeasureFat12([&floppy](int64_t sector) { return floppy.ReadableSector(sector); }, floppy.SlotCount());
  char clock[64];
  std::snprintf(clock, sizeof clock, "%.3f", static_cast<double>(floppy.clockNanoseconds) / 1e9);

  std::string text;
  auto line = [&text](const char* label, const std::string& value) {
    text += label;
    text.append(13 - std::strlen(label), ' ');
    text += value + "\n";
  };
  line("drive", floppy.drive == DriveKind::FiveAndQuarter ? "5.25\"" : "3.5\"");
  line("medium", std::to_string(g.SizeKb()) + " KB: " + std::to_string(g.tracks) + " tracks, " +
                     std::to_string(g.sectorsPerTrack) + " sectors per track, 2 heads");
  line("disk", floppy.diskAbsent ? "absent" : "present");
  line("write", floppy.writeProtected ? "protected" : "allowed");
  line("formatting", floppy.refusesFormat ? "refused (not supported)" : "allowed");
  line("unreadable", FormatSectorList(unreadable));
  line("unwritable", FormatSectorList(unwritable));
  line("not found", FormatSectorList(notFound));
  line("ID 0 slots", std::to_string(idZero));
  line("file system",
       space ? "FAT12, " + std::to_string(space->totalBytes) + " bytes, " + std::to_string(space->freeBytes) + " free"
             : "none");
  line("clock", std::string(clock) + " s simulated");
  return text;
}

int Dump(const VirtualFloppy& floppy, const std::string& path, std::string& out, std::string& err) {
  std::vector<uint8_t> bytes(static_cast<std::size_t>(floppy.geometry.TotalBytes()), 0);
  for (int64_t sector = 0; sector < floppy.SlotCount(); ++sector) {
    int64_t slot = floppy.SlotOfSector(sector);
    if (slot >= 0) std::memcpy(bytes.data() + sector * kSectorBytes, floppy.SlotData(slot), kSectorBytes);
  }
  if (path == "-") {
    out.assign(bytes.begin(), bytes.end());
    return kToolDone;
  }
  std::string problem = SaveProblem(SaveWholeFile(path, bytes.data(), bytes.size()));
  if (!problem.empty()) {
    err = "dump: " + path + ": " + problem + "\n";
    return kToolFailed;
  }
  return kToolDone;
}

}  // namespace

std::string VirtualFloppyToolUsage() {
  return "usage:\n"
         "  vfloppy create FILE --format 360|720|800|1200|1440|1680 [--from RAW] [--fill zero|random]\n"
         "                      [--bad LIST] [--write-protect] [--no-disk] [--no-format] [--force]\n"
         "  vfloppy show FILE\n"
         "  vfloppy dump FILE RAW|-\n"
         "  vfloppy --version\n"
         "\n"
         "create   a formatted disk in a drive that takes it. --fill zero (the default) puts an empty FAT12\n"
         "         volume on it, --fill random random bytes (no file system), --from RAW the sectors of a raw\n"
         "         image of exactly the format's size. --bad marks sectors physically bad (reads fail with a\n"
         "         CRC error, writes with a write fault). --write-protect, --no-disk: as named; --no-format:\n"
         "         the drive refuses to format (as USB drives do). An existing FILE is kept unless --force.\n"
         "show     geometry, flags, bad and unaddressable sectors, file system and simulated time.\n"
         "dump     the sectors in disk order as a raw image (- writes them to standard output); sectors that\n"
         "         cannot be found are zeros.\n"
         "\n"
         "LIST     linear sector indexes counted from 0 in disk order (track 0 head 0, track 0 head 1, ...),\n"
         "         separated by commas, with inclusive ranges: 37,100-103\n";
}

int RunVirtualFloppyTool(const std::vector<std::string>& arguments, std::string& out, std::string& err) {
  const std::string command = arguments.empty() ? "" : arguments[0];
  if (command == "create") return Create(arguments, out, err);
  if ((command == "show" && arguments.size() == 2) || (command == "dump" && arguments.size() == 3)) {
    std::optional<VirtualFloppy> floppy = Load(command, arguments[1], err);
    if (!floppy) return kToolFailed;
    if (command == "dump") return Dump(*floppy, arguments[2], out, err);
    out = Show(*floppy);
    return kToolDone;
  }
  err = VirtualFloppyToolUsage();
  return kToolUsage;
}
