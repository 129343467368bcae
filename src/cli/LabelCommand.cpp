// --label <image> <text>: the volume label of the image's disk ("" removes it).
#include "app/CommandLine.h"
#include "base/HostFiles.h"
#include "base/Texts.h"
#include "cli/ImageChangeCommand.h"
#include "filesystem/FileTexts.h"

int RunLabel(const ChangeCommand& command) {
  const std::optional<ChangeArguments> parsed = ParseChangeArguments(command, {}, false);
  if (!parsed) return kExitUnusable;
  if (parsed->operands.size() != 2) return RefuseCommandLine(command);
  const std::string& text = parsed->operands[1];
  if (!LabelBytes(text)) {
    ShowError(command.boxes, kTextChangeBadLabel, {text});
    return kExitUnusable;
  }
  ImageChange image;
  if (const int status = OpenForChange(command, image, parsed->operands[0])) return status;
  return ChangeImage(command, image, [&](FatWriter& writer) {
    const FatChange change = writer.SetLabel(text, LocalTimeNow());
    if (change != FatChange::Done) ShowChangeRefused(command.boxes, change, text);
    return StatusOf(change);
  });
}
