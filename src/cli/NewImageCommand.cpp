// --new <image> [--format KB] [--label text] [--force] [folder]: a blank disk as this program formats one,
// holding a folder's contents when one is given.
#include "app/CommandLine.h"
#include "base/HostFiles.h"
#include "base/Texts.h"
#include "cli/ImageChangeCommand.h"
#include "filesystem/FileTexts.h"

namespace {

// The format of a size in KB ("1440"), as the format table has it.
std::optional<FloppyGeometry> GeometryOfSize(const std::string& kb) {
  for (const FloppyFormat& format : FloppyFormats()) {
    const FloppyGeometry geometry{format.tracks, format.sectorsPerTrack};
    if (std::to_string(geometry.SizeKb()) == kb) return geometry;
  }
  return std::nullopt;
}

}  // namespace

int RunNewImage(const ChangeCommand& command) {
  const std::optional<ChangeArguments> parsed = ParseChangeArguments(command, {"--format", "--label"}, true);
  if (!parsed) return kExitUnusable;
  if (parsed->operands.empty() || parsed->operands.size() > 2) return RefuseCommandLine(command);
  const auto format = parsed->values.find("--format");
  const std::optional<FloppyGeometry> geometry = GeometryOfSize(format == parsed->values.end() ? "1440" : format->second);
  if (!geometry) return RefuseCommandLine(command);
  const auto label = parsed->values.find("--label");
  if (label != parsed->values.end() && !LabelBytes(label->second)) {
    ShowError(command.boxes, kTextChangeBadLabel, {label->second});
    return kExitUnusable;
  }
  HostTree tree;
  if (parsed->operands.size() == 2) {
    const std::string& folder = parsed->operands[1];
    const std::optional<std::vector<std::string>> names =
        InfoOfHostPath(folder).kind == HostKind::Directory ? NamesInFolder(folder) : std::nullopt;
    if (!names) {
      ShowError(command.boxes, kTextChangeFolderUnreadable, {folder});
      return kExitUnusable;
    }
    std::vector<std::string> paths;
    for (const std::string& name : *names) paths.push_back(folder + "/" + name);
    tree = GatherHostTree(paths);
  }
  if (const int status = SayTreeProblems(command.boxes, tree)) return status;

  ImageChange image;
  switch (image.New(parsed->operands[0], *geometry, parsed->force, command.boxes)) {
    case ChangeOpen::Ready: break;
    case ChangeOpen::Busy:
    case ChangeOpen::Exists:
      if (!parsed->force) std::fprintf(command.err, "%s\n", kTextChangeUseForce);
      return kExitOperationFailed;
    default: return kExitUnusable;
  }
  return ChangeImage(command, image, [&](FatWriter& writer) {
    if (label != parsed->values.end()) {
      if (const FatChange change = writer.SetLabel(label->second, LocalTimeNow()); change != FatChange::Done) {
        ShowChangeRefused(command.boxes, change, label->second);
        return StatusOf(change);
      }
    }
    return SayTreeRefusals(command.boxes, tree, AddHostTree(writer, FatWriter::kRoot, tree, false), "");
  });
}
