#include "app/Application.h"

#include "app/DiskReadJob.h"
#include "app/DiskWriteJob.h"
#include "app/RescueConversion.h"

#include "base/File.h"
#include "base/Texts.h"
#include "image/Conversion.h"
#include "image/Integrity.h"
#include "image/forms/CaptureImage.h"
#include "image/forms/ImageForm.h"
#include "image/RescueMap.h"

Application::Application(const ApplicationServices& services, IApplicationFront& front)
    : services_(services), front_(front) {}

void Application::LoadAllSettings() {
  LoadSettings(services_.registry, services_.platform.ntMajorVersion, settings, selfExeSettings);
}

OperationOutcome Application::ReadFloppyToImage() {
  IMessageBoxes& boxes = services_.boxes;
  const std::string& path = currentImage.m_path;
  if (OnFloppyDrive(path)) {
    ShowError(boxes, kTextCannotSaveToFloppy);
    return OperationOutcome::Failed;
  }
  const ImageForm* form = FormOfPath(path);
  if (!settings.m_suppress && settings.m_compatible && form && form->trailer == TrailerUse::UnlessCompatible) {
    ShowInformation(boxes, kTextCompatibleModeActive);
  }
  if (settings.m_emergency && form && !form->rawSectors) {
    ShowError(boxes, kTextEmergencyImgOnly);
    return OperationOutcome::Failed;
  }
  if (!settings.m_suppress && settings.m_emergency) ShowInformation(boxes, kTextEmergencyActive);
  const RescueMeeting meeting{
      [&] { return AskYesNo(boxes, kTextAskResumeRescue, {path}); },
      [&](bool told) {
        ShowError(boxes, told ? kTextRescueUnfinishedResume : kTextRescueUnfinishedAsk, {path, RescueMapPathOf(path)});
      }};
  std::optional<bool> resume = settings.m_emergency ? ResumesRescue(path, meeting) : false;
  if (!resume) return OperationOutcome::Failed;

  progress.Reset();
  if (!batchMode) currentImage.m_description = front_.DescriptionFieldText();

  DiskJobEnvironment environment{settings, selfExeSettings, services_.platform.ntMajorVersion, boxes,
                                 services_.devices, services_.clock, services_.programPath};
  CDiskReadJob job(environment, currentImage, progress);
  if (*resume) job.ResumeExistingImage();
  job.Start(front_.JobEvents());
  bool succeeded = FinishDiskJob(JobKind::Read, settings.m_emergency != 0);
  return succeeded ? OperationOutcome::Succeeded : OperationOutcome::Failed;
}

OperationOutcome Application::WriteImageToFloppy() {
  IMessageBoxes& boxes = services_.boxes;
  const std::string& path = currentImage.m_path;
  bool recreate = settings.m_formatDisk && settings.m_recreateBad;
  if (OnFloppyDrive(path)) {
    ShowError(boxes, kTextCopyImageToDiskFirst);
    return OperationOutcome::Failed;
  }
  const ImageForm* form = FormOfPath(path);
  if (recreate && !(form && form->rawSectors)) {
    ShowError(boxes, kTextRecreateImgOnly);
    return OperationOutcome::Failed;
  }
  if (!settings.m_suppress) {
    if (recreate) ShowInformation(boxes, kTextRecreateActive);
    if (!AskYesNo(boxes, kTextConfirmOverwriteDisk)) return OperationOutcome::Failed;
  }

  progress.Reset();
  DiskJobEnvironment environment{settings, selfExeSettings, services_.platform.ntMajorVersion, boxes,
                                 services_.devices, services_.clock, services_.programPath};
  CDiskWriteJob job(environment, currentImage, progress);
  job.AdviseNewChecksum();
  job.Start(front_.JobEvents());
  bool succeeded = FinishDiskJob(JobKind::Write, recreate);
  return succeeded ? OperationOutcome::Succeeded : OperationOutcome::Failed;
}

// A rescue (an image with its map) is never replaced unless the user says so: asked, or told by --resume
// to go on. Where nobody can be asked, the job is refused and says how to go on or start over.
std::optional<bool> Application::ResumesRescue(const std::string& path, const RescueMeeting& meeting) {
  std::string map = RescueMapPathOf(path);
  // Told to go on, the job refuses what it cannot go on from; with neither file there it starts afresh.
  if (resumePolicy == ResumePolicy::Always) return FileExists(path) || FileExists(map);
  if (!FileExists(path) || !FileExists(map)) return false;
  if (resumePolicy == ResumePolicy::Ask && !settings.m_suppress) return meeting.ask();
  meeting.refuse(resumePolicy == ResumePolicy::Never);
  return std::nullopt;
}

bool Application::FinishDiskJob(JobKind job, bool reportBadSectors) {
  int result = front_.RunProgress(progress, job);
  if (result == 1 && settings.m_sound) front_.PlaySuccessSound(batchMode);
  if (result == 1 && reportBadSectors) {
    // After a write the sectors that refused it are the ones recreated bad.
    SectorState damage = job == JobKind::Write ? SectorState::Recreated : SectorState::Bad;
    BadSectorReportModel report =
        BuildBadSectorReport(progress.badSectorOffsets, currentImage.Geometry(), progress.recoveredSectors, damage);
    report.files = ReadDamagedFiles(currentImage.m_path);
    front_.ShowBadSectorReport(report);
  }
  return result == 1;
}

OperationOutcome Application::CheckCurrentIntegrity() {
  return CheckIntegrity(currentImage, services_.boxes) == IntegrityResult::Good ? OperationOutcome::Succeeded
                                                                               : OperationOutcome::Failed;
}

ImageWriteOptions Application::WriteOptions() const {
  ImageWriteOptions options;
  options.compatible = settings.m_compatible != 0;
  options.selfExe = &selfExeSettings;
  options.programPath = services_.programPath;
  return options;
}

OperationOutcome Application::RunConversion() {
  SaveOptions options;
  options.suppress = settings.m_suppress != 0;
  options.write = WriteOptions();
  progress.Reset();
  options.cancel = &progress.cancelRequested;
  if (IsFluxCapture(conversionSource.m_path) || resumePolicy == ResumePolicy::Always) {
    return RunRescueConversion(options);
  }
  ConversionJob job(conversionSource, conversionTarget, options, services_.boxes);
  job.Start(front_.JobEvents());
  front_.RunConversionStatus();
  // An image saved with bad sectors marked holds less than the disk did: the run did not do all it was asked.
  return job.Succeeded() && !job.Damaged() ? OperationOutcome::Succeeded : OperationOutcome::Failed;
}

// A capture decoded over a rescue would lose the sectors the rescue has and the capture lacks: it is taken into
// the rescue instead, when the user says so.
OperationOutcome Application::RunRescueConversion(const SaveOptions& options) {
  IMessageBoxes& boxes = services_.boxes;
  const std::string& target = conversionTarget.m_path;
  const std::string source = boxes.ShownArgument(conversionSource.m_path), shownTarget = boxes.ShownArgument(target);
  const RescueMeeting meeting{
      [&] {
        return boxes.Show(0, FormatText(kTextCaptureAskResume, {shownTarget, source, source}), MessageIcon::Question) ==
               MessageAnswer::Yes;
      },
      [&](bool told) {
        const char* text = told ? kTextCaptureRescueUnfinished : kTextCaptureRescueUnfinishedAsk;
        boxes.Show(0, FormatText(text, {shownTarget, boxes.ShownArgument(RescueMapPathOf(target)), source}),
                   MessageIcon::Error);
      }};
  std::optional<bool> intoRescue = ResumesRescue(target, meeting);
  if (!intoRescue) return OperationOutcome::Failed;
  RescueConversionJob job(conversionSource, conversionTarget, options, *intoRescue, progress, boxes);
  job.Start(front_.JobEvents());
  if (front_.RunProgress(progress, JobKind::Decode) == 1) {
    BadSectorReportModel report = BuildBadSectorReport(progress.badSectorOffsets, job.Geometry());
    report.account = job.Account();
    report.files = ReadDamagedFiles(target);
    front_.ShowBadSectorReport(report);
  }
  return job.Saved() == 0 ? OperationOutcome::Succeeded : OperationOutcome::Failed;
}

bool Application::OpenAsSource(const std::string& path) {
  CImageInfo opened;
  if (opened.LoadInfo(path, services_.boxes) != 0) return false;
  currentImage = opened;
  front_.ShowSourceImage();
  return true;
}

int Application::LoadCurrentImage(const std::string& path) { return currentImage.LoadInfo(path, services_.boxes); }

int Application::SetCurrentTarget(const std::string& path) { return currentImage.SetTarget(path, services_.boxes); }

void Application::SetCurrentDescription(const std::string& description) { currentImage.m_description = description; }

int Application::LoadConversionSource(const std::string& path) {
  conversionSource = CImageInfo();
  return conversionSource.LoadInfo(path, services_.boxes);
}

int Application::SetConversionTarget(const std::string& path) {
  conversionTarget = CImageInfo();
  return conversionTarget.SetTarget(path, services_.boxes);
}

void Application::SetConversionDescription(const std::string& description) {
  conversionSource.m_description = description;
}

void Application::ShowCommandLineHelp() { front_.ShowCommandLineHelp(); }

StartDecision Application::RunCommandLine(std::vector<std::string> arguments) {
  CommandLine commandLine(std::move(arguments), settings, *this, services_.pathStyle);
  return commandLine.Start();
}
