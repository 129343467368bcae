#pragma once
// The program's operations as the main window (or the POSIX front end) drives them: the read and write
// operations with their checks, confirmations, progress, sound and report; conversion; integrity check;
// the command line. Everything a front end shows on its own (progress and status windows, the report, the
// help, the sound) it provides through IApplicationFront.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "base/OperationProgress.h"
#include "app/Platform.h"
#include "base/Clock.h"
#include "base/JobEvents.h"
#include "base/MessageBoxes.h"
#include "app/BadSectorReport.h"
#include "floppy/FloppyDevice.h"
#include "image/Conversion.h"
#include "image/ImageInfo.h"
#include "image/ImageWriter.h"
#include "settings/RegistryBackend.h"
#include "settings/Settings.h"

class IApplicationFront {
 public:
  virtual ~IApplicationFront() = default;
  // Where the jobs post their events (the main window).
  virtual IJobEvents& JobEvents() = 0;
  // Shows the progress of the running disk job until its completion event: 1 success, -1 failure or
  // cancel. The front handles the progress events and the cancel request (progress.cancelRequested).
  virtual int RunProgress(OperationProgress& progress, JobKind job) = 0;
  // Shows the conversion status until the job's Ended event; a front that can cancel it sets the
  // application's progress.cancelRequested.
  virtual void RunConversionStatus() = 0;
  virtual void PlaySuccessSound(bool waitUntilDone) = 0;
  virtual void ShowBadSectorReport(const BadSectorReportModel& report) = 0;
  // The text of the description field of the read half (ignored in batch runs).
  virtual std::string DescriptionFieldText() = 0;
  virtual void ShowCommandLineHelp() = 0;
  // currentImage was opened as the source image.
  virtual void ShowSourceImage() = 0;
};

struct ApplicationServices {
  IRegistryBackend& registry;
  IMessageBoxes& boxes;
  IFloppyDeviceFactory& devices;
  IClock& clock;
  PlatformInfo platform;
  std::string programPath;  // carries the self-extractor stub
  PathStyle pathStyle = PathStyle::Windows;
};

// Whether an emergency read into an image that has its map beside it continues that rescue: the Windows
// program asks, the POSIX program continues only when told to.
enum class ResumePolicy { Ask, Always, Never };

class Application : public ICommandLineHost {
 public:
  Application(const ApplicationServices& services, IApplicationFront& front);

  // Reads all settings (once, at start-up).
  void LoadAllSettings();

  // The disk operations on currentImage.
  OperationOutcome ReadFloppyToImage() override;
  OperationOutcome WriteImageToFloppy() override;
  OperationOutcome CheckCurrentIntegrity() override;

  // The conversion of the two conversion records.
  OperationOutcome RunConversion() override;

  void EnterBatchMode() override { batchMode = true; }
  bool OpenAsSource(const std::string& path) override;
  int LoadCurrentImage(const std::string& path) override;
  int SetCurrentTarget(const std::string& path) override;
  void SetCurrentDescription(const std::string& description) override;
  int LoadConversionSource(const std::string& path) override;
  int SetConversionTarget(const std::string& path) override;
  void SetConversionDescription(const std::string& description) override;
  void ShowCommandLineHelp() override;

  // The last step of the main window's initialisation (a batch run sets batchMode).
  StartDecision RunCommandLine(std::vector<std::string> arguments);

  AppSettings settings;
  SelfExeSettings selfExeSettings;
  CImageInfo currentImage;
  CImageInfo conversionSource;
  CImageInfo conversionTarget;
  OperationProgress progress;
  bool batchMode = false;
  ResumePolicy resumePolicy = ResumePolicy::Ask;

  const ApplicationServices& Services() const { return services_; }
  // How the program writes an image it makes: compatible mode, the self-extractor's settings and stub.
  ImageWriteOptions WriteOptions() const;

 private:
  // Runs a started disk job's progress and the steps after it; true on success.
  bool FinishDiskJob(JobKind job, bool reportBadSectors);
  // How a job meets a rescue (an image with its map) at its target: the question it asks, and the refusal
  // when it may not ask (told: the POSIX program was not told to go on; else nobody can be asked).
  struct RescueMeeting {
    std::function<bool()> ask;
    std::function<void(bool told)> refuse;
  };
  // Whether a job goes on with the rescue at path; nullopt after the message that refuses it.
  std::optional<bool> ResumesRescue(const std::string& path, const RescueMeeting& meeting);
  // A conversion of a flux capture, or one told to go on with a rescue: shown like a disk job, its report after.
  OperationOutcome RunRescueConversion(const SaveOptions& options);

  ApplicationServices services_;
  IApplicationFront& front_;
};
