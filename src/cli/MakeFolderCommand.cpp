// --mkdir <image> <path>...: folders made on the image's disk, the folders above them as needed.
#include "app/CommandLine.h"
#include "base/HostFiles.h"
#include "base/Texts.h"
#include "cli/ImageChangeCommand.h"
#include "filesystem/FatNames.h"
#include "filesystem/FileTexts.h"

int RunMakeFolder(const ChangeCommand& command) {
  const std::optional<ChangeArguments> parsed = ParseChangeArguments(command, {}, false);
  if (!parsed) return kExitUnusable;
  if (parsed->operands.size() < 2) return RefuseCommandLine(command);
  const std::vector<std::string> paths(parsed->operands.begin() + 1, parsed->operands.end());
  for (const std::string& path : paths) {
    for (const std::string& step : DiskPathSteps(path)) {
      if (const NameFault fault = CheckLongName(step); fault != NameFault::None) {
        ShowError(command.boxes, kTextChangeBadName, {path, NameFaultText(fault)});
        return kExitUnusable;
      }
    }
  }
  ImageChange image;
  if (const int status = OpenForChange(command, image, parsed->operands[0])) return status;
  const LocalTime now = LocalTimeNow();
  return ChangeImage(command, image, [&](FatWriter& writer) {
    int status = kExitDone;
    for (const std::string& path : paths) {
      FatWriter::Folder folder = FatWriter::kRoot;
      FatChange change = writer.FindFolder(path, &folder);
      if (change == FatChange::Done) {
        change = FatChange::Exists;
      } else if (change == FatChange::NotFound) {
        change = writer.FindFolder(path, &folder, true, now);
      }
      if (change == FatChange::Done) continue;
      ShowChangeRefused(command.boxes, change, path, true);
      status = std::max(status, StatusOf(change));
    }
    return status;
  });
}
