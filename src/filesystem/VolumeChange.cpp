#include "filesystem/VolumeChange.h"

#include <algorithm>
#include <utility>

#include "base/Texts.h"
#include "filesystem/FileTexts.h"

int StatusOf(FatChange change) {
  return change == FatChange::Done ? kChangeDone : change == FatChange::BadName ? kChangeUnusable : kChangeRefused;
}

int ChangeVolume(std::vector<uint8_t>& volume, const std::string& imagePath, IMessageBoxes& boxes,
                 const std::function<int(FatWriter&)>& change) {
  std::vector<FatFinding> faults;
  std::optional<FatWriter> writer = FatWriter::Open(std::move(volume), &faults);
  if (!writer) {
    for (const FatFinding& fault : faults) {
      boxes.Show(0, boxes.ShownArgument(FindingText(fault)), MessageIcon::Exclamation);
    }
    if (faults.empty()) {
      boxes.Show(0, FormatText(kTextFilesNoVolume, {boxes.ShownArgument(imagePath)}), MessageIcon::Error);
    } else {
      ShowError(boxes, kTextChangeFaulty, {imagePath});
    }
    return kChangeUnusable;
  }
  if (const int status = change(*writer)) return status;
  if (std::optional<FatSpace> space = writer->Shortfall()) {
    ShowError(boxes, kTextChangeNoRoom,
              {static_cast<long long>(space->neededBytes), static_cast<long long>(space->freeBytes)});
    return kChangeRefused;
  }
  volume = std::move(*writer->Finish());
  return kChangeDone;
}

int SayTreeProblems(IMessageBoxes& boxes, const HostTree& tree) {
  for (const HostTreeProblem& problem : tree.problems) {
    switch (problem.problem) {
      case HostProblem::BadName:
        ShowError(boxes, kTextChangeBadName, {problem.source, NameFaultText(problem.fault)});
        break;
      case HostProblem::NotFileOrFolder: ShowError(boxes, kTextChangeNotFileOrFolder, {problem.source}); break;
      case HostProblem::FolderUnreadable: ShowError(boxes, kTextChangeFolderUnreadable, {problem.source}); break;
    }
  }
  return tree.problems.empty() ? kChangeDone : kChangeUnusable;
}

int SayTreeRefusals(IMessageBoxes& boxes, const HostTree& tree, const std::vector<TreeItemRefused>& refused,
                    const std::string& under, const char* useForce) {
  int status = kChangeDone;
  bool kept = false;
  for (const TreeItemRefused& refusal : refused) {
    std::string path;
    for (int i = refusal.item; i >= 0; i = tree.items[static_cast<std::size_t>(i)].parent) {
      path = tree.items[static_cast<std::size_t>(i)].name + (path.empty() ? "" : "/" + path);
    }
    if (!under.empty()) path = under + (under.ends_with('/') ? "" : "/") + path;
    const HostTreeItem& item = tree.items[static_cast<std::size_t>(refusal.item)];
    ShowChangeRefused(boxes, refusal.change, refusal.change == FatChange::Unreadable ? item.source : path, item.folder);
    kept = kept || (refusal.change == FatChange::Exists && !item.folder);
    status = std::max(status, StatusOf(refusal.change));
  }
  if (kept && useForce) boxes.Show(0, useForce, MessageIcon::Exclamation);
  return status;
}
