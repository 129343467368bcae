#pragma once
// What the POSIX front end shows in place of windows: a progress line on the terminal while a job runs,
// the conversion status, the bad-sector report as a map and a table, the help, and the loaded image's information.

#include <atomic>
#include <cstdio>

#include "app/Application.h"
#include "base/JobEvents.h"
#include "cli/TerminalMessageBoxes.h"

class TerminalFront : public IApplicationFront {
 public:
  // cancel is set from the interrupt signal (Ctrl-C) and turns into a cancel request of the running job.
  // terminal: err is a terminal (progress lines); colours: out is one (the report's map in colour).
  TerminalFront(TerminalMessageBoxes& boxes, std::FILE* out, std::FILE* err, bool terminal, bool colours,
                const std::atomic<bool>& cancel, std::string programName);
  void SetApplication(Application& application) { application_ = &application; }
  // A line per track on the error stream while a flux capture is decoded.
  void SetVerbose(bool verbose) { verbose_ = verbose; }

  IJobEvents& JobEvents() override { return events_; }
  int RunProgress(OperationProgress& progress, JobKind job) override;
  void RunConversionStatus() override;
  void PlaySuccessSound(bool waitUntilDone) override;
  void ShowBadSectorReport(const BadSectorReportModel& report) override;
  std::string DescriptionFieldText() override { return {}; }
  void ShowCommandLineHelp() override;
  void ShowSourceImage() override;

  void PrintHelp(std::FILE* stream);
  // Closes the results' stream at the end of the run: the exit code, or 1 after a message when anything
  // written to it did not arrive (a full disk, a closed pipe), unless the run had failed already.
  int CloseOutput(int exitCode);

 private:
  void DrawProgress(const std::string& status, const std::string& speed, uint32_t percent);
  void EndProgressLine();
  void PrintTrackLines(const OperationProgress& progress, std::size_t& printed);

  TerminalMessageBoxes& boxes_;
  std::FILE* out_;
  std::FILE* err_;
  bool terminal_;
  bool colours_;
  const std::atomic<bool>& cancel_;
  std::string programName_;
  Application* application_ = nullptr;
  bool verbose_ = false;
  JobEventQueue events_;
};
