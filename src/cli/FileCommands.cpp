#include "cli/FileCommands.h"

#include <algorithm>
#include <atomic>
#include <unordered_set>

#include "app/CommandLine.h"
#include "base/File.h"
#include "base/Format.h"
#include "base/Texts.h"
#include "cli/TerminalHelp.h"
#include "cli/TerminalText.h"
#include "filesystem/Extraction.h"
#include "filesystem/FileTexts.h"
#include "image/ImageSectors.h"

namespace {

void PrintLine(std::FILE* to, const std::string& text) { std::fprintf(to, "%s\n", text.c_str()); }

// The volume on the image at path, nullopt after a message.
std::optional<FatVolume> OpenVolume(const std::string& path, IMessageBoxes& boxes, std::FILE* err) {
  std::optional<DiskSectors> disk = LoadImageSectors(path, boxes);
  if (!disk) return std::nullopt;
  FatOpenError why = FatOpenError::None;
  std::optional<FatVolume> volume = FatVolume::Read(std::move(*disk), &why);
  if (!volume) {
    PrintLine(err, FormatText(why == FatOpenError::BootSectorBad ? kTextFilesBootSectorBad : kTextFilesNoVolume,
                              {TerminalSafe(path)}));
  }
  return volume;
}

void PrintFindings(const FatVolume& volume, std::FILE* err) {
  for (const FatFinding& finding : volume.Findings()) PrintLine(err, TerminalSafe(FindingText(finding)));
}

int ListFiles(const std::string& path, IMessageBoxes& boxes, std::FILE* out, std::FILE* err) {
  std::optional<FatVolume> volume = OpenVolume(path, boxes, err);
  if (!volume) return kExitUnusable;
  if (!volume->Label().empty()) PrintLine(out, FormatText(kTextFilesLabel, {TerminalSafe(volume->Label())}));
  if (volume->Entries().empty()) PrintLine(out, kTextFilesNoFiles);
  for (const FatEntry& entry : volume->Entries()) {
    const LocalTime& t = entry.modified;
    std::fprintf(out, "%s\t%llu\t%04d-%02d-%02d %02d:%02d:%02d\t%s\n", TerminalExact(entry.path).c_str(),
                 static_cast<unsigned long long>(entry.size), t.year, t.month, t.day, t.hour, t.minute, t.second,
                 StateText(entry).c_str());
  }
  for (const AreaHit& hit : volume->AreasHit()) PrintLine(out, AreaHitText(hit));
  PrintFindings(*volume, err);
  return volume->Intact() ? kExitDone : kExitOperationFailed;
}

std::string ParentOf(const std::string& folder) {
  std::string path = folder;
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

// Makes the target folder when missing: 0 when files can be written there, else the exit status after one
// message that says what stands in the way.
int PrepareTarget(const std::string& folder, std::FILE* err) {
  FileError error = FileError::None;
  const FolderMade made = MakeFolder(folder, &error);
  const bool ready = made == FolderMade::Made || made == FolderMade::Existed;
  const char* problem = kTextExtractNoTarget;
  if (made == FolderMade::Link) {
    problem = kTextExtractTargetIsLink;
  } else if (ready || error == FileError::Denied) {
    switch (AccessOfFolder(ready ? folder : ParentOf(folder))) {
      case FolderAccess::Writable: problem = ready ? nullptr : kTextExtractNoTarget; break;
      case FolderAccess::ReadOnlyVolume: problem = kTextExtractReadOnlyVolume; break;
      case FolderAccess::Denied: problem = kTextExtractDenied; break;
    }
  }
  if (!problem) return 0;
  const bool parent = made == FolderMade::Failed && problem != kTextExtractNoTarget;
  PrintLine(err, FormatText(problem, {TerminalSafe(parent ? ParentOf(folder) : folder)}));
  return kExitUnusable;
}

// Says on err what became of the entries; false when any was not written, or written damaged or under
// another name, or the run stopped or its files did not all reach the disk.
bool SayResults(const FatVolume& volume, const std::vector<int>& chosen, const ExtractReport& report,
                const std::string& folder, std::FILE* err) {
  const std::vector<FatEntry>& entries = volume.Entries();
  bool whole = report.stop == ExtractStop::None;
  int written = 0, renamed = 0;
  for (const ExtractResult& result : report.results) {
    const FatEntry& entry = entries[result.entry];
    const std::string target = TerminalSafe(result.target);
    if (result.change != NameChange::None && result.outcome == ExtractOutcome::Written) {
      const bool collision = result.change == NameChange::Collision;
      PrintLine(err, FormatText(collision ? kTextExtractRenamed : kTextExtractShortName,
                                {TerminalExact(entry.path), target}));
      renamed += collision;
      whole = false;
    }
    switch (result.outcome) {
      case ExtractOutcome::Written:
        if (entry.folder) break;
        ++written;
        if (entry.state == EntryState::Damaged) PrintLine(err, FormatText(kTextExtractDamaged, {target}));
        if (entry.state == EntryState::Unknown) PrintLine(err, FormatText(kTextExtractUnknown, {target}));
        whole = whole && entry.state == EntryState::Ok;
        break;
      case ExtractOutcome::Exists: PrintLine(err, FormatText(kTextExtractExists, {target})); whole = false; break;
      case ExtractOutcome::NoFolder:
      case ExtractOutcome::Failed:
        whole = false;
        if (result.error == FileError::NoSpace) {
          PrintLine(err, FormatText(TextOf(kTextExtractDiskFull), {target}));
        } else if (result.error == FileError::NameTooLong) {
          PrintLine(err, FormatText(kTextExtractPathTooLong, {TerminalExact(entry.path)}));
        } else {
          PrintLine(err, FormatText(entry.folder ? kTextExtractNoFolder : TextOf(kTextCannotCreate), {target}));
        }
        break;
    }
  }
  if (renamed > 0) PrintLine(err, FormatText(kTextExtractRenamedCount, {renamed}));
  if (report.stop == ExtractStop::Cancelled) PrintLine(err, FormatText(kTextExtractCancelled, {written, report.skipped}));
  if (report.stop == ExtractStop::DiskFull) {
    const auto files = std::count_if(chosen.begin(), chosen.end(), [&](int index) { return !entries[index].folder; });
    PrintLine(err, FormatText(kTextExtractStoppedCounts, {written, static_cast<int64_t>(files) - written}));
  }
  if (!report.synced) PrintLine(err, FormatText(TextOf(kTextExtractSyncFailed), {TerminalSafe(folder)}));
  return whole && report.synced;
}

int Extract(const std::vector<std::string>& arguments, IMessageBoxes& boxes, std::FILE* err,
            const std::atomic<bool>* cancel) {
  bool force = false;
  std::vector<std::string> rest;
  for (std::size_t i = 2; i < arguments.size(); ++i) {
    if (arguments[i] == "--force") {
      force = true;
    } else {
      rest.push_back(arguments[i]);
    }
  }
  if (rest.size() < 2) {
    const std::string program = TerminalSafe(ProgramName(arguments));
    PrintLine(err, FormatText(kTextFilesUsage, {program, program}));
    return kExitUnusable;
  }
  std::optional<FatVolume> volume = OpenVolume(rest[0], boxes, err);
  if (!volume) return kExitUnusable;
  const std::vector<std::string> paths(rest.begin() + 2, rest.end());
  std::vector<std::string> missing;
  const std::vector<int> chosen = SelectEntries(*volume, paths, &missing);
  for (const std::string& path : missing) PrintLine(err, FormatText(kTextExtractMissing, {TerminalSafe(path)}));
  if (!paths.empty() && missing.size() == paths.size()) return kExitUnusable;
  const std::string& folder = rest[1];
  if (const int status = PrepareTarget(folder, err)) return status;
  PrintFindings(*volume, err);
  // A chosen entry with a finding is not whole, whatever was written of it.
  std::unordered_set<std::string> chosenPaths;
  for (int index : chosen) chosenPaths.insert(volume->Entries()[index].path);
  bool whole = missing.empty();
  for (const FatFinding& finding : volume->Findings()) whole = whole && chosenPaths.count(finding.path) == 0;

  ExtractOptions options;
  options.replace = force;
  options.cancel = cancel;
  const ExtractReport report = ExtractEntries(*volume, chosen, folder, options);
  const bool said = SayResults(*volume, chosen, report, folder, err);
  return whole && said ? kExitDone : kExitOperationFailed;
}

}  // namespace

std::optional<int> RunFileCommand(const std::vector<std::string>& arguments, IMessageBoxes& boxes, std::FILE* out,
                                  std::FILE* err, const std::atomic<bool>* cancel) {
  if (arguments.size() < 2 || (arguments[1] != "--files" && arguments[1] != "--extract")) return std::nullopt;
  if (arguments[1] == "--extract") return Extract(arguments, boxes, err, cancel);
  if (arguments.size() != 3) {
    const std::string program = TerminalSafe(ProgramName(arguments));
    PrintLine(err, FormatText(kTextFilesUsage, {program, program}));
    return kExitUnusable;
  }
  return ListFiles(arguments[2], boxes, out, err);
}
