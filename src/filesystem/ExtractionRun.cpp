#include "filesystem/ExtractionRun.h"

#include <algorithm>
#include <utility>

#include "base/Format.h"
#include "base/Texts.h"
#include "filesystem/Extraction.h"

namespace {

constexpr std::size_t kPathsShown = 12;

}  // namespace

std::string PathLines(const std::vector<std::string>& paths) {
  std::string lines;
  for (std::size_t i = 0; i < paths.size() && i < kPathsShown; ++i) lines += paths[i] + "\n";
  if (paths.size() > kPathsShown) {
    lines += FormatText(TextOf(kTextExtractMorePaths), {static_cast<int64_t>(paths.size() - kPathsShown)}) + "\n";
  }
  return lines;
}

ExtractionSummary ExtractChosen(const FatVolume& volume, const std::vector<int>& entries, const std::string& folder,
                                const std::function<bool(const std::vector<std::string>&)>& askReplace) {
  const std::vector<FatEntry>& all = volume.Entries();
  std::vector<std::string> paths;
  for (int index : entries) paths.push_back(all[static_cast<std::size_t>(index)].path);
  std::vector<int> chosen = SelectEntries(volume, paths, nullptr).value_or(std::vector<int>{});
  std::vector<ExtractResult> results = ExtractEntries(volume, chosen, folder, false);

  std::vector<int> existing;
  for (const ExtractResult& result : results) {
    if (result.outcome == ExtractOutcome::Exists) existing.push_back(result.entry);
  }
  std::vector<std::string> existingPaths;
  for (int index : existing) existingPaths.push_back(all[static_cast<std::size_t>(index)].path);
  if (!existing.empty() && askReplace(existingPaths)) {
    // Again with the folders (made already) and the files that were there: nothing else is written twice.
    std::vector<int> again;
    for (int index : chosen) {
      if (all[static_cast<std::size_t>(index)].folder || std::find(existing.begin(), existing.end(), index) != existing.end()) {
        again.push_back(index);
      }
    }
    std::erase_if(results, [](const ExtractResult& result) { return result.outcome == ExtractOutcome::Exists; });
    for (const ExtractResult& result : ExtractEntries(volume, again, folder, true)) {
      if (!all[static_cast<std::size_t>(result.entry)].folder) results.push_back(result);
    }
  }

  ExtractionSummary summary;
  for (const ExtractResult& result : results) {
    const FatEntry& entry = all[static_cast<std::size_t>(result.entry)];
    switch (result.outcome) {
      case ExtractOutcome::Written:
        if (entry.folder) break;
        ++summary.written;
        if (entry.state == EntryState::Damaged) summary.damaged.push_back(entry.path);
        if (entry.state == EntryState::Unknown) summary.unknown.push_back(entry.path);
        break;
      case ExtractOutcome::Exists: summary.kept.push_back(entry.path); break;
      case ExtractOutcome::NoFolder:
      case ExtractOutcome::SaveFailed: summary.failed.push_back(entry.path); break;
    }
  }
  return summary;
}

std::string ExtractionMessage(const ExtractionSummary& summary, const std::string& folder) {
  std::string message = FormatText(TextOf(kTextExtractWritten), {summary.written, folder});
  const std::pair<int, const std::vector<std::string>*> parts[] = {{kTextExtractDamagedList, &summary.damaged},
                                                                   {kTextExtractUnknownList, &summary.unknown},
                                                                   {kTextExtractKeptList, &summary.kept},
                                                                   {kTextExtractFailedList, &summary.failed}};
  for (const auto& [textId, paths] : parts) {
    if (!paths->empty()) message += "\n\n" + FormatText(TextOf(textId), {PathLines(*paths)});
  }
  return message;
}
