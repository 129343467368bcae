#include "filesystem/ExtractionRun.h"

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
  auto pathOf = [&all](int index) { return all[static_cast<std::size_t>(index)].path; };
  ExtractOptions options;
  options.askReplace = [&](const std::vector<ExtractResult>& existing) {
    std::vector<std::string> paths;
    for (const ExtractResult& result : existing) paths.push_back(pathOf(result.entry));
    return askReplace(paths);
  };
  const std::vector<int> chosen = entries.empty() ? SelectEntries(volume, {}, nullptr) : WithSurroundings(volume, entries);
  const ExtractReport report = ExtractEntries(volume, chosen, folder, options);

  ExtractionSummary summary;
  for (const ExtractResult& result : report.results) {
    const FatEntry& entry = all[static_cast<std::size_t>(result.entry)];
    if (result.change != NameChange::None && result.outcome == ExtractOutcome::Written) {
      summary.renamed.push_back(entry.path + " -> " + result.target.substr(folder.size() + 1));
    }
    if (result.error == FileError::NoSpace) summary.fullAt = entry.path;
    switch (result.outcome) {
      case ExtractOutcome::Written:
        if (entry.folder) break;
        ++summary.written;
        if (entry.state == EntryState::Damaged) summary.damaged.push_back(entry.path);
        if (entry.state == EntryState::Unknown) summary.unknown.push_back(entry.path);
        break;
      case ExtractOutcome::Exists: summary.kept.push_back(entry.path); break;
      case ExtractOutcome::NoFolder:
      case ExtractOutcome::Failed:
        if (result.error != FileError::NoSpace) summary.failed.push_back(entry.path);
        break;
    }
  }
  summary.unsynced = !report.synced;
  return summary;
}

std::string ExtractionMessage(const ExtractionSummary& summary, const std::string& folder) {
  std::string message = FormatText(TextOf(kTextExtractWritten), {summary.written, folder});
  if (!summary.fullAt.empty()) message += "\n\n" + FormatText(TextOf(kTextExtractDiskFull), {summary.fullAt});
  if (summary.unsynced) message += "\n\n" + FormatText(TextOf(kTextExtractSyncFailed), {folder});
  const std::pair<int, const std::vector<std::string>*> parts[] = {{kTextExtractDamagedList, &summary.damaged},
                                                                   {kTextExtractUnknownList, &summary.unknown},
                                                                   {kTextExtractRenamedList, &summary.renamed},
                                                                   {kTextExtractKeptList, &summary.kept},
                                                                   {kTextExtractFailedList, &summary.failed}};
  for (const auto& [textId, paths] : parts) {
    if (!paths->empty()) message += "\n\n" + FormatText(TextOf(textId), {PathLines(*paths)});
  }
  return message;
}
