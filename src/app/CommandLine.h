#pragma once
// The program's command line: the start decision, the batch settings, and the two passes over the
// arguments (ValidateCommandLine applies the modifiers, RunCommandLine collects operands and runs the first
// operation). The operations themselves belong to the main window and are reached through
// ICommandLineHost, which both front ends implement.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/Settings.h"

// How an operation that was started ended, for the process's exit status.
enum class OperationOutcome { Succeeded, Failed };

class ICommandLineHost {
 public:
  virtual ~ICommandLineHost() = default;

  // A batch run begins (the operations behave differently in batch mode).
  virtual void EnterBatchMode() = 0;
  // Opens path as the source image exactly as a dropped file; false after the image layer's message.
  virtual bool OpenAsSource(const std::string& path) = 0;
  // LoadInfo / SetTarget on currentImage: 0, or negative after their own message.
  virtual int LoadCurrentImage(const std::string& path) = 0;
  virtual int SetCurrentTarget(const std::string& path) = 0;
  virtual void SetCurrentDescription(const std::string& description) = 0;
  virtual OperationOutcome WriteImageToFloppy() = 0;
  virtual OperationOutcome ReadFloppyToImage() = 0;
  // The integrity check of the loaded image, including the message for an image without checksum.
  virtual OperationOutcome CheckCurrentIntegrity() = 0;
  // The conversion records: LoadInfo on the source, SetTarget on the target.
  virtual int LoadConversionSource(const std::string& path) = 0;
  virtual int SetConversionTarget(const std::string& path) = 0;
  virtual void SetConversionDescription(const std::string& description) = 0;
  // Runs the conversion job with its status window until it has finished.
  virtual OperationOutcome RunConversion() = 0;
  // The command-line help; returns when the user has closed it.
  virtual void ShowCommandLineHelp() = 0;
};

// Process exit status: 0 the run did what was asked (also: nothing was asked), 1 the operation was refused,
// failed or was cancelled, 2 the command line was unusable or an input or output path was refused.
inline constexpr int kExitDone = 0;
inline constexpr int kExitOperationFailed = 1;
inline constexpr int kExitUnusable = 2;

struct StartDecision {
  bool interactive = false;  // the main window stays up
  bool batchMode = false;
  int dialogResult = 0;      // 1 or 2 for a batch run
  int exitCode = kExitDone;
};

// A switch is one of the known switches, compared without regard to case; nothing else is a switch.
bool IsSwitch(std::string_view argument, std::string_view name);

// The operation a batch run carries out: 'w', 'r', 't' or 'c' for the first of those switches, 0 for none.
char OperationSwitch(const std::vector<std::string>& arguments);

// Whether an argument that begins with '/' can still be a path. On Windows it cannot; POSIX paths begin
// with '/', so there an argument looks like a switch only when it has no further '/' and no '.'
// ("/w", "/input"), and "/home/u/disk.img" or "/a.img" are paths.
enum class PathStyle { Windows, Posix };
bool LooksLikeSwitch(std::string_view argument, PathStyle style);

// The arguments with the image paths among them passed through fullPath: the one argument of a start with
// one argument, and the operands RunCommandLine takes for /i and /o. The running program's own working
// directory must not decide what a path names later (a second start hands its path to a program started
// elsewhere), and a path is shown as the file it names. Operands that look like switches stay as they are.
std::vector<std::string> WithFullImagePaths(std::vector<std::string> arguments, PathStyle style,
                                            const std::function<std::string(const std::string&)>& fullPath);

class CommandLine {
 public:
  // arguments[0] is the program path.
  CommandLine(std::vector<std::string> arguments, AppSettings& settings, ICommandLineHost& host,
              PathStyle style = PathStyle::Windows);

  // The last step of the main window's initialisation: interactive use, an image opened for interactive
  // use, or a batch run of one operation.
  StartDecision Start();

  int ValidateCommandLine();
  int RunCommandLine();

  // The outcome of the operation RunCommandLine started, if it started one.
  bool OperationStarted() const { return operationStarted_; }
  OperationOutcome Outcome() const { return outcome_; }

 private:
  void ApplyBatchSettings();
  std::size_t Count() const { return arguments_.size(); }
  const std::string& At(std::size_t i) const { return arguments_[i]; }

  std::vector<std::string> arguments_;
  AppSettings& settings_;
  ICommandLineHost& host_;
  PathStyle style_;
  bool operationStarted_ = false;
  OperationOutcome outcome_ = OperationOutcome::Succeeded;
};

// Whether a batch run sets this setting (its registry name) itself, whatever is stored: FDLetter, Suppress,
// FormatDisk, VerifyFormat and VerifyWrite.
bool IsBatchSetting(std::string_view name);

// The lines of the command-line help, in order.
std::vector<std::string> CommandLineHelpLines();
