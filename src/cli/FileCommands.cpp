#include "cli/FileCommands.h"

#include <algorithm>

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
  for (const FatEntry& entry : volume->Entries()) {
    const LocalTime& t = entry.modified;
    std::fprintf(out, "%s\t%llu\t%04d-%02d-%02d %02d:%02d:%02d\t%s\n", TerminalSafe(entry.path).c_str(),
                 static_cast<unsigned long long>(entry.size), t.year, t.month, t.day, t.hour, t.minute, t.second,
                 StateText(entry).c_str());
  }
  for (const AreaHit& hit : volume->AreasHit()) PrintLine(out, AreaHitText(hit));
  PrintFindings(*volume, err);
  return volume->Intact() ? kExitDone : kExitOperationFailed;
}

int Extract(const std::vector<std::string>& arguments, IMessageBoxes& boxes, std::FILE* err) {
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
  std::string missing;
  std::optional<std::vector<int>> chosen =
      SelectEntries(*volume, std::vector<std::string>(rest.begin() + 2, rest.end()), &missing);
  if (!chosen) {
    PrintLine(err, FormatText(kTextExtractMissing, {TerminalSafe(missing)}));
    return kExitUnusable;
  }
  const std::string& folder = rest[1];
  if (!MakeFolder(folder)) {
    PrintLine(err, FormatText(kTextExtractNoTarget, {TerminalSafe(folder)}));
    return kExitUnusable;
  }
  PrintFindings(*volume, err);
  bool whole = true;
  for (const FatFinding& finding : volume->Findings()) {
    for (int index : *chosen) whole = whole && finding.path != volume->Entries()[index].path;
  }
  for (const ExtractResult& result : ExtractEntries(*volume, *chosen, folder, force)) {
    const FatEntry& entry = volume->Entries()[result.entry];
    const std::string target = TerminalSafe(result.target);
    switch (result.outcome) {
      case ExtractOutcome::Written:
        if (entry.state == EntryState::Damaged) PrintLine(err, FormatText(kTextExtractDamaged, {target}));
        if (entry.state == EntryState::Unknown) PrintLine(err, FormatText(kTextExtractUnknown, {target}));
        whole = whole && entry.state == EntryState::Ok;
        break;
      case ExtractOutcome::Exists: PrintLine(err, FormatText(kTextExtractExists, {target})); whole = false; break;
      case ExtractOutcome::NoFolder: PrintLine(err, FormatText(kTextExtractNoFolder, {target})); whole = false; break;
      case ExtractOutcome::SaveFailed: PrintLine(err, FormatText(TextOf(kTextCannotCreate), {target})); whole = false; break;
    }
  }
  return whole ? kExitDone : kExitOperationFailed;
}

}  // namespace

std::optional<int> RunFileCommand(const std::vector<std::string>& arguments, IMessageBoxes& boxes, std::FILE* out,
                                  std::FILE* err) {
  if (arguments.size() < 2 || (arguments[1] != "--files" && arguments[1] != "--extract")) return std::nullopt;
  if (arguments[1] == "--extract") return Extract(arguments, boxes, err);
  if (arguments.size() != 3) {
    const std::string program = TerminalSafe(ProgramName(arguments));
    PrintLine(err, FormatText(kTextFilesUsage, {program, program}));
    return kExitUnusable;
  }
  return ListFiles(arguments[2], boxes, out, err);
}
