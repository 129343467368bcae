// The writer on arbitrary volumes and arbitrary runs of changes. The input's first byte chooses the volume:
// odd, the rest of the input is the start of a 1.44 MB disk (zeros after it); even, a blank volume of one of
// the formats this program makes. Then bytes are changes (make a folder, add a file, remove, set the label)
// with names and sizes from the input. Whatever happens, the writer must not crash, and a volume it gives out
// must be one the reader finds sound, holding every file added at its size.
#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "base/Geometry.h"
#include "filesystem/Fat12.h"
#include "filesystem/FatVolume.h"
#include "filesystem/FatWriter.h"
#include "filesystem/NameFolding.h"

namespace {

class Input {
 public:
  Input(const uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  bool More() const { return at_ < size_; }
  uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
  std::string Name() {
    std::string name;
    for (std::size_t length = Byte() % 40; length > 0 && More(); --length) name += static_cast<char>(Byte());
    return name;
  }

 private:
  const uint8_t* data_;
  std::size_t size_;
  std::size_t at_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  Input input(data, size);
  std::vector<uint8_t> volume;
  if (input.Byte() % 2 == 1) {
    volume.assign(1474560, 0);
    std::memcpy(volume.data(), data + 1, std::min(size - 1, volume.size()));
    input = Input(nullptr, 0);
  } else {
    const std::vector<FloppyFormat>& formats = FloppyFormats();
    const FloppyFormat& format = formats[input.Byte() % formats.size()];
    volume = BlankFat12Volume({format.tracks, format.sectorsPerTrack});
  }
  std::optional<FatWriter> writer = FatWriter::Open(volume);
  if (!writer) return 0;
  std::vector<FatWriter::Folder> folders{FatWriter::kRoot};
  std::map<std::string, uint64_t> added;  // the files that must be there, by their path as FAT compares it
  std::vector<std::string> paths{""};     // the folders' paths, as folders has them
  while (input.More()) {
    const uint8_t op = input.Byte() % 4;
    const std::size_t in = input.Byte() % folders.size();
    const std::string name = input.Name();
    const std::string path = paths[in] + (paths[in].empty() ? "" : "/") + name;
    if (op == 0) {
      FatWriter::Folder made = FatWriter::kRoot;
      if (writer->MakeFolder(folders[in], name, LocalTime{1999, 12, 31, 23, 59, 58}, &made) == FatChange::Done) {
        folders.push_back(made);
        paths.push_back(path);
      }
    } else if (op == 1) {
      const uint64_t bytes = input.Byte() * 97u;
      const FileSource source{bytes, [](std::span<uint8_t> into) {
                                std::fill(into.begin(), into.end(), 0x5A);
                                return true;
                              }};
      if (writer->AddFile(folders[in], name, source, LocalTime{}, input.Byte() % 2 == 1) == FatChange::Done) {
        added[FoldedName(path)] = bytes;
      }
    } else if (op == 2) {
      // Files only: a folder removed would leave the folder list naming it.
      if (added.count(FoldedName(path)) && writer->Remove(path) == FatChange::Done) added.erase(FoldedName(path));
    } else {
      writer->SetLabel(name, LocalTime{});
    }
  }
  std::optional<std::vector<uint8_t>> changed = writer->Finish();
  if (!changed) return 0;
  std::optional<FatVolume> read = FatVolume::Read(DiskSectors{std::move(*changed), {}});
  if (!read) __builtin_trap();
  for (const FatFinding& finding : read->Findings()) {
    if (finding.fault != FatFault::ImpossibleTime) __builtin_trap();
  }
  for (const FatEntry& entry : read->Entries()) {
    auto found = added.find(FoldedName(entry.path));
    if (found != added.end() && found->second == entry.size) added.erase(found);
  }
  if (!added.empty()) __builtin_trap();
  return 0;
}
