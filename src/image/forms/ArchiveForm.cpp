#include "image/forms/ArchiveForm.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <variant>
#include <vector>

#include "base/CodePage.h"
#include "base/File.h"
#include "base/Format.h"
#include "base/Texts.h"

namespace {

struct LoadedArchive {
  ArchivedDisk disk;
  ArrangedFloppy floppy;
};

std::string ProblemText(const ArchiveKind& kind, const ArchiveProblem& problem) {
  using Kind = ArchiveProblem::Kind;
  switch (problem.kind) {
    case Kind::NotTheForm: return FormatText(kTextArchiveNotTheForm, {kind.name});
    case Kind::CommentUnended: return kTextArchiveCommentUnended;
    case Kind::Cut: return kTextArchiveCut;
    case Kind::TooLarge: return kTextArchiveTooLarge;
    case Kind::Mode: return FormatText(kTextArchiveMode, {static_cast<unsigned long long>(problem.offset), problem.value});
    case Kind::SizeCode: return FormatText(kTextArchiveSizeCode, {problem.cylinder, problem.head, problem.value});
    case Kind::RecordType: return FormatText(kTextArchiveRecordType, {problem.cylinder, problem.head, problem.value});
    case Kind::Encoding: return FormatText(kTextArchiveEncoding, {problem.cylinder, problem.head, problem.value});
    case Kind::SectorData: return FormatText(kTextArchiveSectorData, {problem.cylinder, problem.head, problem.value});
    case Kind::HeaderSum: return FormatText(kTextArchiveHeaderSum, {problem.value, problem.expected});
    case Kind::CommentSum: return FormatText(kTextArchiveCommentSum, {problem.value, problem.expected});
    case Kind::TrackSum: return FormatText(kTextArchiveTrackSum, {problem.cylinder, problem.head});
    case Kind::OldCompression: return FormatText(kTextArchiveOldCompression, {problem.value / 10, problem.value % 10});
    case Kind::Volume: return FormatText(kTextArchiveVolume, {problem.value + 1});
  }
  return {};
}

std::string LayoutText(const LayoutProblem& problem) {
  using Kind = LayoutProblem::Kind;
  switch (problem.kind) {
    case Kind::NoSectors: return kTextLayoutNoSectors;
    case Kind::TrackTwice: return FormatText(kTextLayoutTrackTwice, {problem.cylinder, problem.head});
    case Kind::Head: return FormatText(kTextLayoutHead, {problem.cylinder, problem.head});
    case Kind::Track:
      return FormatText(kTextLayoutTrack,
                        {problem.cylinder, problem.head, problem.sectors, problem.sectorBytes, problem.fm ? "FM" : "MFM"});
    case Kind::SectorNumber:
      return FormatText(kTextLayoutSectorNumber, {problem.cylinder, problem.head, problem.number, problem.sectorsPerTrack});
    case Kind::SectorId:
      return FormatText(kTextLayoutSectorId,
                        {problem.cylinder, problem.head, problem.number, problem.idCylinder, problem.idHead});
    case Kind::Geometry:
      return FormatText(kTextLayoutGeometry, {problem.cylinders, problem.heads, problem.sectorsPerTrack});
  }
  return {};
}

std::optional<std::vector<uint8_t>> ReadWholeFile(const std::string& path, IMessageBoxes& boxes) {
  File file = File::Open(path, FileMode::Read);
  std::optional<uint64_t> size = file ? file.Size() : std::nullopt;
  if (!size) {
    ShowError(boxes, kTextCannotOpen, {path});
    return std::nullopt;
  }
  if (*size > kLargestArchiveBytes) {
    ShowError(boxes, kTextImageLargerThan2MB);
    return std::nullopt;
  }
  std::vector<uint8_t> bytes(static_cast<std::size_t>(*size));
  if (file.Read(bytes.data(), bytes.size()) != bytes.size()) {
    ShowError(boxes, kTextImageReadFailed);
    return std::nullopt;
  }
  return bytes;
}

// Opening an archive asks for its facts and then for its sectors: the last parse is kept for the same bytes,
// so that a Teledisk file is decompressed once (the bytes, not the path or its times, are the key).
ArchiveParse ParseOnce(const ArchiveKind& kind, std::vector<uint8_t> file) {
  static std::mutex mutex;
  static const ArchiveKind* lastKind = nullptr;
  static std::vector<uint8_t> lastFile;
  static ArchiveParse lastParse;
  {
    std::lock_guard<std::mutex> lock(mutex);
    if (lastKind == &kind && lastFile == file) return lastParse;
  }
  ArchiveParse parsed = kind.parse(file);
  std::lock_guard<std::mutex> lock(mutex);
  lastKind = &kind;
  lastFile = std::move(file);
  lastParse = parsed;
  return parsed;
}

std::optional<LoadedArchive> Load(const ArchiveKind& kind, const std::string& path, IMessageBoxes& boxes) {
  std::optional<std::vector<uint8_t>> file = ReadWholeFile(path, boxes);
  if (!file) return std::nullopt;
  ArchiveParse parsed = ParseOnce(kind, std::move(*file));
  if (const ArchiveProblem* problem = std::get_if<ArchiveProblem>(&parsed)) {
    ShowError(boxes, kTextArchiveUnreadable, {path, ProblemText(kind, *problem)});
    return std::nullopt;
  }
  LoadedArchive loaded{std::move(std::get<ArchivedDisk>(parsed)), {}};
  std::variant<ArrangedFloppy, LayoutProblem> arranged = ArrangePcFloppy(loaded.disk);
  if (const LayoutProblem* problem = std::get_if<LayoutProblem>(&arranged)) {
    ShowError(boxes, kTextArchiveNotPcFloppy, {path, LayoutText(*problem)});
    return std::nullopt;
  }
  loaded.floppy = std::move(std::get<ArrangedFloppy>(arranged));
  return loaded;
}

class ArrangedReader final : public FormReader {
 public:
  explicit ArrangedReader(ArrangedFloppy floppy) : floppy_(std::move(floppy)) {}
  std::optional<uint64_t> KnownBytes() const override { return floppy_.bytes.size(); }
  int64_t Read(void* data, std::size_t bytes) override {
    const std::size_t count = std::min(bytes, floppy_.bytes.size() - at_);
    if (count > 0) std::memcpy(data, floppy_.bytes.data() + at_, count);
    at_ += count;
    return static_cast<int64_t>(count);
  }
  std::vector<bool> BadSectors() const override {
    return std::find(floppy_.bad.begin(), floppy_.bad.end(), true) == floppy_.bad.end() ? std::vector<bool>{} : floppy_.bad;
  }

 private:
  ArrangedFloppy floppy_;
  std::size_t at_ = 0;
};

// Lines as the comment holds them, without the blank ones it ends with.
std::string DescriptionOf(std::string comment) {
  comment.erase(comment.find_last_not_of(" \t\n") + 1);
  return FromSystemCodePage(comment);
}

}  // namespace

std::optional<FormFacts> ArchiveFacts(const ArchiveKind& kind, const std::string& path, IMessageBoxes& boxes) {
  std::optional<LoadedArchive> loaded = Load(kind, path, boxes);
  if (!loaded) return std::nullopt;
  return FormFacts{DescriptionOf(std::move(loaded->disk.comment)), loaded->floppy.geometry};
}

std::unique_ptr<FormReader> OpenArchiveReader(const ArchiveKind& kind, const std::string& path) {
  QuietMessageBoxes quiet;
  std::optional<LoadedArchive> loaded = Load(kind, path, quiet);
  if (!loaded) return nullptr;
  return std::make_unique<ArrangedReader>(std::move(loaded->floppy));
}

bool CheckArchive(const ArchiveKind& kind, const std::string& path, IMessageBoxes& boxes) {
  std::optional<LoadedArchive> loaded = Load(kind, path, boxes);
  if (!loaded) return false;
  const std::vector<bool>& bad = loaded->floppy.bad;
  const auto damaged = static_cast<int64_t>(std::count(bad.begin(), bad.end(), true));
  if (damaged > 0) {
    ShowError(boxes, kTextArchiveCheckBadSectors, {path, damaged});
    return false;
  }
  const auto sectors = static_cast<int64_t>(bad.size());
  if (kind.hasSums) {
    ShowInformation(boxes, kind.wholeText, {path, loaded->disk.sumsMatched, sectors});
  } else {
    ShowInformation(boxes, kind.wholeText, {path, sectors});
  }
  return true;
}
