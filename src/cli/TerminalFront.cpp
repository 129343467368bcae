#include "cli/TerminalFront.h"

#include <chrono>

#include "app/ImagePanel.h"
#include "base/Environment.h"
#include "base/ProgressText.h"
#include "base/Format.h"
#include "base/Texts.h"
#include "base/Utf.h"
#include "cli/TerminalHelp.h"
#include "cli/TerminalText.h"

TerminalFront::TerminalFront(TerminalMessageBoxes& boxes, std::FILE* out, std::FILE* err, bool terminal, bool colours,
                             const std::atomic<bool>& cancel, std::string programName)
    : boxes_(boxes),
      out_(out),
      err_(err),
      terminal_(terminal),
      colours_(colours),
      cancel_(cancel),
      programName_(std::move(programName)) {}

void TerminalFront::DrawProgress(const std::string& status, const std::string& speed, uint32_t percent) {
  if (!terminal_) return;
  std::lock_guard lock(boxes_.OutputLock());
  constexpr int kBarWidth = 30;
  int filled = static_cast<int>(percent > 100 ? 100 : percent) * kBarWidth / 100;
  std::string bar(static_cast<std::size_t>(filled), '#');
  bar.append(static_cast<std::size_t>(kBarWidth - filled), '-');
  std::fprintf(err_, "\r\033[K%s [%s] %3u%%  %s", status.c_str(), bar.c_str(), percent, speed.c_str());
  std::fflush(err_);
  boxes_.SetProgressLineOpen(true);
}

void TerminalFront::EndProgressLine() {
  std::lock_guard lock(boxes_.OutputLock());
  if (!boxes_.ProgressLineOpen()) return;
  std::fprintf(err_, "\n");
  std::fflush(err_);
  boxes_.SetProgressLineOpen(false);
}

void TerminalFront::PrintTrackLines(const OperationProgress& progress, std::size_t& printed) {
  if (!verbose_) return;
  std::vector<std::string> lines = progress.trackLines.Since(printed);
  if (lines.empty()) return;
  EndProgressLine();
  std::lock_guard lock(boxes_.OutputLock());
  for (const std::string& line : lines) std::fprintf(err_, "%s\n", line.c_str());
  std::fflush(err_);
}

int TerminalFront::RunProgress(OperationProgress& progress, JobKind job) {
  bool cancelShown = false;
  std::size_t linesPrinted = 0;
  for (;;) {
    std::optional<JobEvent> event = events_.WaitNextFor(std::chrono::milliseconds(200));
    if (cancel_.load() && !cancelShown) {
      progress.cancelRequested = true;
      DrawProgress(kTextCancelling, "", 100);
      cancelShown = true;
    }
    if (!event || event->job != job) continue;
    PrintTrackLines(progress, linesPrinted);
    if (event->Ends()) {
      EndProgressLine();
      return event->step == JobStep::Succeeded ? 1 : -1;
    }
    if (cancelShown) continue;
    ProgressTexts texts = DescribeProgress(*event, progress);
    DrawProgress(texts.status, texts.speed, texts.percent);
  }
}

void TerminalFront::RunConversionStatus() {
  bool cancelShown = false;
  for (;;) {
    // Often: a conversion takes well under a second, and a Ctrl-C must still reach it.
    std::optional<JobEvent> next = events_.WaitNextFor(std::chrono::milliseconds(10));
    if (cancel_.load() && !cancelShown && application_) {
      application_->progress.cancelRequested = true;
      cancelShown = true;
    }
    if (!next) continue;
    const JobEvent& event = *next;
    if (event.job != JobKind::Conversion) continue;
    if (event.Ends()) break;
    if (terminal_) {
      std::lock_guard lock(boxes_.OutputLock());
      std::fprintf(err_, "%s\n", TextOf(event.step == JobStep::Loading ? kTextReadingImageFile : kTextWritingImageFile));
      std::fflush(err_);
    }
  }
}

void TerminalFront::PlaySuccessSound(bool) {
  if (!terminal_) return;
  std::lock_guard lock(boxes_.OutputLock());
  std::fputc('\a', err_);
  std::fflush(err_);
}

void TerminalFront::ShowBadSectorReport(const BadSectorReportModel& report) {
  std::lock_guard lock(boxes_.OutputLock());
  std::fprintf(out_, "%s\n", kTextReportCaption);
  std::fprintf(out_, "  %s %s\n  %s %s\n  %s %s\n", kTextReportTotalLabel, report.total.c_str(), kTextReportSizeLabel,
               report.size.c_str(), kTextReportDistributionLabel, report.distribution.c_str());
  for (const std::string& line : DamageMapLines(report.map, colours_)) std::fprintf(out_, "  %s\n", line.c_str());
  constexpr int kSectorColumn = 32;
  if (!report.rows.empty()) {
    std::fprintf(out_, "  %s %s\n", PadToColumns(kTextReportColumnSector, kSectorColumn).c_str(), kTextReportColumnSide);
  }
  for (const BadSectorRow& row : report.rows) {
    std::fprintf(out_, "  %s %s\n", PadToColumns(row.sectorText, kSectorColumn).c_str(), row.sideText.c_str());
  }
  for (const std::string& line : report.account) std::fprintf(out_, "  %s\n", TerminalSafe(line).c_str());
  std::fflush(out_);
}

void TerminalFront::PrintHelp(std::FILE* stream) {
  std::lock_guard lock(boxes_.OutputLock());
  for (const std::string& line : TerminalHelpLines(programName_, HelpLanguageOf(ProcessEnvironment))) {
    std::fprintf(stream, "%s\n", line.c_str());
  }
  std::fflush(stream);
}

int TerminalFront::CloseOutput(int exitCode) {
  bool failed = std::ferror(out_) != 0;
  if (std::fclose(out_) != 0) failed = true;
  if (!failed) return exitCode;
  boxes_.Show(0, kTextCannotWriteStandardOutput, MessageIcon::Error);
  return exitCode == kExitDone ? kExitOperationFailed : exitCode;
}

void TerminalFront::ShowCommandLineHelp() { PrintHelp(err_); }

void TerminalFront::ShowSourceImage() {
  if (!application_) return;
  const CImageInfo& image = application_->currentImage;
  ImagePanelTexts panel = DescribeImage(image);
  std::lock_guard lock(boxes_.OutputLock());
  std::fprintf(out_, "%s: %s\n", kTextFileNameLabel, TerminalSafe(image.m_path).c_str());
  if (!panel.format.empty()) std::fprintf(out_, "%s: %s\n", kTextPanelFormatLabel, panel.format.c_str());
  if (!image.m_description.empty()) {
    std::fprintf(out_, "%s %s\n", kTextDescriptionLabel, TerminalSafe(image.m_description).c_str());
  }
  std::fprintf(out_, "%s: %s\n%s: %s\n%s: %s\n%s: %s\n", kTextPanelPhysical, panel.geometry.c_str(),
               kTextPanelChecksumLabel, panel.checksum.c_str(), kTextPanelFreeLabel, panel.freeSpace.c_str(),
               kTextPanelTotalLabel, panel.totalSize.c_str());
  std::fflush(out_);
}
