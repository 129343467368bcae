#include "Showcase_win32.h"

#include <windows.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <memory>

#include "app/Platform.h"
#include "base/JobEvents.h"
#include "base/WindowsMessageBoxes.h"
#include "app/BadSectorReport.h"
#include "settings/Settings.h"
#include "ui/ProgressDlg.h"
#include "ui/WideText.h"
#include "win32/BadSectorDlg.h"
#include "win32/CommandLineHelpDlg.h"
#include "win32/ConversionDlg.h"
#include "win32/DescriptionDlg.h"

namespace {

constexpr UINT kTickMs = 100;
constexpr int kReadyAfterTicks = 5;   // time for the first paint
constexpr int kGiveUpAfterTicks = 600;

std::string Environment(const char* name, const std::string& fallback) {
  wchar_t value[1024] = {};
  DWORD length = ::GetEnvironmentVariableW(Wide(name).c_str(), value, 1024);
  return length > 0 && length < 1024 ? Narrow(value) : fallback;
}

// Timer state of the one dialog the showcase shows.
struct Stage {
  CMyDialog* dialog = nullptr;
  std::function<void()> prepare;
  std::wstring readyFile;
  int ticks = 0;
};

Stage& TheStage() {
  static Stage stage;
  return stage;
}

void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
  Stage& stage = TheStage();
  if (!stage.dialog || !stage.dialog->Window()) return;
  ++stage.ticks;
  if (stage.ticks == 1 && stage.prepare) stage.prepare();
  if (stage.readyFile.empty()) {
    if (stage.ticks >= kGiveUpAfterTicks) stage.dialog->End(kDialogFailed);
    return;
  }
  if (stage.ticks == kReadyAfterTicks) {
    RECT rect;
    ::GetWindowRect(stage.dialog->Window(), &rect);
    std::ofstream(stage.readyFile.c_str()) << rect.left << ' ' << rect.top << ' ' << rect.right - rect.left << ' '
                                           << rect.bottom - rect.top << '\n';
  } else if (stage.ticks > kReadyAfterTicks) {
    bool captured = ::GetFileAttributesW(stage.readyFile.c_str()) == INVALID_FILE_ATTRIBUTES;
    if (captured || stage.ticks >= kGiveUpAfterTicks) stage.dialog->End(IDOK);
  }
}

struct Sample {
  std::unique_ptr<CMyDialog> dialog;
  std::function<void()> prepare;
};

OperationProgress& SampleProgress() {
  static OperationProgress progress;
  progress.percent = 42;
  progress.kbDone = 605;
  progress.totalText.Set("1440 kB");
  progress.speedText.Set("23.5");
  return progress;
}

Sample MakeSample(const std::string& name, const DialogContext& context) {
  if (name == "help") return {std::make_unique<CCommandLineHelpDlg>(context), nullptr};
  if (name == "description") {
    auto dialog = std::make_unique<CDescriptionDlg>(
        context, Environment("DISKELLE_SHOWCASE_PATH", "C:\\软盘映像\\系统启动盘.imz"),
        Environment("DISKELLE_SHOWCASE_DESCRIPTION", "Windows 98 启动盘 (第二版)"),
        [](const std::string&) { return true; });
    return {std::move(dialog), nullptr};
  }
  if (name == "conversion") {
    auto dialog = std::make_unique<CConversionDlg>(context);
    CConversionDlg* shown = dialog.get();
    return {std::move(dialog), [shown] { shown->OnConversionEvent(JobStep::Loading); }};
  }
  if (name == "progress" || name == "progress-cancel") {
    auto dialog = std::make_unique<CProgressDlg>(context, SampleProgress());
    CProgressDlg* shown = dialog.get();
    bool cancel = name == "progress-cancel";
    return {std::move(dialog), [shown, cancel] {
              shown->OnJobEvent({JobKind::Read, JobStep::Progress});
              if (cancel) ::SendMessageW(shown->Window(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
            }};
  }
  if (name == "report") {
    std::vector<uint32_t> offsets = {737280, 0, 512, 18944, 1024, 1457664};
    return {std::make_unique<CBadSectorDlg>(context, BuildBadSectorReport(offsets, FloppyGeometry{80, 18})), nullptr};
  }
  if (name == "report-retried") {
    // A 360 KB disk read with retries: what the passes got back beside what stayed bad.
    std::vector<uint32_t> offsets = {4608, 5120, 5632, 187904, 368128};
    std::vector<RecoveredSector> recovered = {{9216, 1}, {9728, 2}, {200704, 1}, {300544, 3}};
    return {std::make_unique<CBadSectorDlg>(context, BuildBadSectorReport(offsets, FloppyGeometry{40, 9}, recovered)),
            nullptr};
  }
  if (name == "report-recreated") {
    // A 1680 KB disk written with its bad sectors recreated.
    std::vector<uint32_t> offsets;
    for (uint32_t sector = 840; sector < 861; ++sector) offsets.push_back(sector * 512);
    for (uint32_t sector : {5u, 1000u, 2222u, 3359u}) offsets.push_back(sector * 512);
    return {std::make_unique<CBadSectorDlg>(
                context, BuildBadSectorReport(offsets, FloppyGeometry{80, 21}, {}, SectorState::Recreated)),
            nullptr};
  }
  if (name == "report-capture" || name == "capture-account") {
    // A 1.44 MB capture of three revolutions: two sectors stayed bad, three were voted back.
    std::vector<std::string> account = {"SuperCard Pro 磁通记录: 160 个磁轨面，每个 3 圈"};
    for (int track = 0; track < 80; ++track) {
      for (int head = 0; head < 2; ++head) {
        const bool damaged = track == 1 && head == 0;
        account.push_back("第 " + std::to_string(track) + " 磁轨第 " + std::to_string(head) + " 面: 3 圈，" +
                          (damaged ? "16" : "18") + " 个完好的扇区");
      }
    }
    account.push_back("经逐位表决恢复的扇区: 40, 41, 2800");
    if (name == "capture-account") return {std::make_unique<CCaptureAccountDlg>(context, account), nullptr};
    BadSectorReportModel report = BuildBadSectorReport({18432, 18944}, FloppyGeometry{80, 18});
    report.account = account;
    return {std::make_unique<CBadSectorDlg>(context, std::move(report)), nullptr};
  }
  return {};
}

int ShowMessage() {
  WindowsMessageBoxes boxes;
  std::string text = Environment("DISKELLE_SHOWCASE_MESSAGE", "该操作将覆写目前正在驱动器中的软盘上的内容。");
  return boxes.Show(0, text, MessageIcon::Question) == MessageAnswer::Yes ? IDYES : IDNO;
}

}  // namespace

std::vector<std::string> ShowcaseNames() {
  return {"help", "description", "conversion", "progress", "progress-cancel", "report", "report-retried",
          "report-recreated", "report-capture", "capture-account", "message"};
}

int RunShowcase(const std::vector<std::string>& arguments) {
  if (arguments.empty()) return 2;
  const std::string& name = arguments[0];
  if (name == "message") return ShowMessage();
  static AppSettings settings;
  DialogContext context{settings.m_toolTips, settings.m_windowFx, DetectPlatform().ntMajorVersion == 4};
  Sample sample = MakeSample(name, context);
  if (!sample.dialog) return 2;
  Stage& stage = TheStage();
  stage.dialog = sample.dialog.get();
  stage.prepare = sample.prepare;
  for (std::size_t i = 1; i + 1 < arguments.size(); ++i) {
    if (arguments[i] == "--ready-file") stage.readyFile = Wide(arguments[i + 1]);
  }
  UINT_PTR timer = ::SetTimer(nullptr, 0, kTickMs, &Tick);
  INT_PTR result = sample.dialog->RunModal(nullptr);
  ::KillTimer(nullptr, timer);
  stage.dialog = nullptr;
  return static_cast<int>(result);
}
