#include "cli/ImageChangeCommand.h"

#include <chrono>

#include "app/CommandLine.h"
#include "base/Strings.h"
#include "base/Texts.h"
#include "cli/TerminalHelp.h"
#include "cli/TerminalText.h"
#include "filesystem/FileTexts.h"

namespace {

// Long enough for another change of a floppy's image to end, short enough for a script to hear of a window
// that holds the image.
constexpr std::chrono::seconds kWaitForOtherChange{10};

}  // namespace

int RefuseCommandLine(const ChangeCommand& command) {
  const std::string program = TerminalSafe(ProgramName(command.arguments));
  std::fprintf(command.err, "%s\n", FormatText(kTextChangeUsage, {program, program, program, program, program}).c_str());
  return kExitUnusable;
}

std::optional<ChangeArguments> ParseChangeArguments(const ChangeCommand& command,
                                                    const std::vector<std::string_view>& valued, bool force) {
  ChangeArguments parsed;
  const std::vector<std::string>& arguments = command.arguments;
  bool options = true;
  for (std::size_t i = 2; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (!options || !argument.starts_with("--")) {
      parsed.operands.push_back(argument);
      continue;
    }
    if (argument == "--") {
      options = false;
      continue;
    }
    if (force && EqualsIgnoringCase(argument, "--force")) {
      parsed.force = true;
      continue;
    }
    bool known = false;
    for (std::string_view name : valued) {
      if (!EqualsIgnoringCase(argument, name) || i + 1 >= arguments.size()) continue;
      parsed.values[std::string(name)] = arguments[++i];
      known = true;
    }
    if (!known) {
      RefuseCommandLine(command);
      return std::nullopt;
    }
  }
  return parsed;
}

int ExitStatusOf(FatChange change) {
  return change == FatChange::Done ? kExitDone : change == FatChange::BadName ? kExitUnusable : kExitOperationFailed;
}

int SayTreeProblems(const ChangeCommand& command, const HostTree& tree) {
  for (const HostTreeProblem& problem : tree.problems) {
    switch (problem.problem) {
      case HostProblem::BadName:
        ShowError(command.boxes, kTextChangeBadName, {problem.source, NameFaultText(problem.fault)});
        break;
      case HostProblem::NotFileOrFolder: ShowError(command.boxes, kTextChangeNotFileOrFolder, {problem.source}); break;
      case HostProblem::FolderUnreadable: ShowError(command.boxes, kTextChangeFolderUnreadable, {problem.source}); break;
    }
  }
  return tree.problems.empty() ? kExitDone : kExitUnusable;
}

int SayTreeRefusals(const ChangeCommand& command, const HostTree& tree, const std::vector<TreeItemRefused>& refused,
                    const std::string& under) {
  int status = kExitDone;
  bool exists = false;
  for (const TreeItemRefused& refusal : refused) {
    // Named by where it would have gone on the disk.
    std::string path;
    for (int i = refusal.item; i >= 0; i = tree.items[static_cast<std::size_t>(i)].parent) {
      path = tree.items[static_cast<std::size_t>(i)].name + (path.empty() ? "" : "/" + path);
    }
    if (!under.empty()) path = under + "/" + path;
    const HostTreeItem& item = tree.items[static_cast<std::size_t>(refusal.item)];
    ShowChangeRefused(command.boxes, refusal.change, refusal.change == FatChange::Unreadable ? item.source : path,
                      item.folder);
    exists = exists || (refusal.change == FatChange::Exists && !item.folder);
    status = std::max(status, ExitStatusOf(refusal.change));
  }
  if (exists) std::fprintf(command.err, "%s\n", kTextChangeUseForce);
  return status;
}

int OpenForChange(const ChangeCommand& command, ImageChange& image, const std::string& path) {
  switch (image.Open(path, command.boxes, kWaitForOtherChange)) {
    case ChangeOpen::Ready: return kExitDone;
    case ChangeOpen::Busy:
    case ChangeOpen::Exists:
    case ChangeOpen::Damaged: return kExitOperationFailed;
    case ChangeOpen::ReadOnlyForm:
    case ChangeOpen::Unusable: return kExitUnusable;
  }
  return kExitUnusable;
}

int ChangeImage(const ChangeCommand& command, ImageChange& image, const std::function<int(FatWriter&)>& change) {
  std::vector<FatFinding> faults;
  std::optional<FatWriter> writer = FatWriter::Open(image.Sectors(), &faults);
  if (!writer) {
    for (const FatFinding& fault : faults) command.boxes.Show(0, TerminalSafe(FindingText(fault)), MessageIcon::Exclamation);
    if (faults.empty()) {
      command.boxes.Show(0, FormatText(kTextFilesNoVolume, {command.boxes.ShownArgument(image.Path())}), MessageIcon::Error);
    } else {
      ShowError(command.boxes, kTextChangeFaulty, {image.Path()});
    }
    return kExitUnusable;
  }
  if (const int status = change(*writer)) return status;
  if (std::optional<FatSpace> space = writer->Shortfall()) {
    ShowError(command.boxes, kTextChangeNoRoom,
              {static_cast<long long>(space->neededBytes), static_cast<long long>(space->freeBytes)});
    return kExitOperationFailed;
  }
  std::optional<std::vector<uint8_t>> volume = writer->Finish();
  const int saved = volume ? image.Save(*volume, command.write, command.boxes, command.cancel) : -1;
  if (saved == kSaveCancelled) std::fprintf(command.err, "%s\n", kTextChangeCancelled);
  return saved == 0 ? kExitDone : kExitOperationFailed;
}

std::optional<int> RunChangeCommand(const std::vector<std::string>& arguments, IMessageBoxes& boxes, std::FILE* err,
                                    const ImageWriteOptions& write, const std::atomic<bool>* cancel) {
  if (arguments.size() < 2) return std::nullopt;
  const ChangeCommand command{arguments, boxes, err, write, cancel};
  const std::string& name = arguments[1];
  if (name == "--new") return RunNewImage(command);
  if (name == "--add") return RunAdd(command);
  if (name == "--mkdir") return RunMakeFolder(command);
  if (name == "--delete") return RunDelete(command);
  if (name == "--label") return RunLabel(command);
  return std::nullopt;
}
