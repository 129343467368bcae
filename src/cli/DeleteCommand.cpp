// --delete <image> <path>...: files, and folders with everything in them, taken off the image's disk.
#include "app/CommandLine.h"
#include "base/Texts.h"
#include "cli/ImageChangeCommand.h"
#include "filesystem/FileTexts.h"

int RunDelete(const ChangeCommand& command) {
  const std::optional<ChangeArguments> parsed = ParseChangeArguments(command, {}, false);
  if (!parsed) return kExitUnusable;
  if (parsed->operands.size() < 2) return RefuseCommandLine(command);
  const std::vector<std::string> paths(parsed->operands.begin() + 1, parsed->operands.end());
  for (const std::string& path : paths) {
    if (path.find_first_not_of('/') == std::string::npos) {
      ShowError(command.boxes, kTextChangeRootCannotGo);
      return kExitUnusable;
    }
  }
  ImageChange image;
  if (const int status = OpenForChange(command, image, parsed->operands[0])) return status;
  return ChangeImage(command, image, [&](FatWriter& writer) {
    int status = kExitDone;
    for (const std::string& path : paths) {
      const FatChange change = writer.Remove(path);
      if (change == FatChange::Done) continue;
      ShowChangeRefused(command.boxes, change, path);
      status = std::max(status, StatusOf(change));
    }
    return status;
  });
}
