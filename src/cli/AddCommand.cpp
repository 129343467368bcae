// --add [--force] <image> <file|folder>... [--to <folder on the disk>]: files, and folders with everything in
// them, put on the image's disk with their times.
#include "app/CommandLine.h"
#include "base/Texts.h"
#include "cli/ImageChangeCommand.h"
#include "filesystem/FileTexts.h"

int RunAdd(const ChangeCommand& command) {
  const std::optional<ChangeArguments> parsed = ParseChangeArguments(command, {"--to"}, true);
  if (!parsed) return kExitUnusable;
  if (parsed->operands.size() < 2) return RefuseCommandLine(command);
  const std::vector<std::string> sources(parsed->operands.begin() + 1, parsed->operands.end());
  const HostTree tree = GatherHostTree(sources);
  if (const int status = SayTreeProblems(command.boxes, tree)) return status;
  ImageChange image;
  if (const int status = OpenForChange(command, image, parsed->operands[0])) return status;
  const auto to = parsed->values.find("--to");
  const std::string under = to == parsed->values.end() ? std::string() : to->second;
  return ChangeImage(command, image, [&](FatWriter& writer) {
    FatWriter::Folder folder = FatWriter::kRoot;
    if (const FatChange found = writer.FindFolder(under, &folder); found != FatChange::Done) {
      ShowChangeRefused(command.boxes, found, under);
      return StatusOf(found);
    }
    return SayTreeRefusals(command.boxes, tree, AddHostTree(writer, folder, tree, parsed->force), under,
                           kTextChangeUseForce);
  });
}
