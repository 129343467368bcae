#include "cli/SettingsCommands.h"

#include <filesystem>

#include "app/Application.h"
#include "app/CommandLine.h"
#include "base/File.h"
#include "base/Format.h"
#include "base/Texts.h"
#include "cli/DesktopAssociation.h"
#include "cli/TerminalHelp.h"
#include "cli/TerminalText.h"
#include "settings/SettingsTable.h"

namespace {

int ListAll(const Application& application, std::FILE* out) {
  for (const SettingLine& line : ListSettings(application.settings, application.selfExeSettings)) {
    std::string text =
        FormatText(kTextSettingLine, {line.name, TerminalSafe(line.value), TerminalSafe(line.defaultValue)});
    std::fprintf(out, "%s\n", text.c_str());
  }
  return kExitDone;
}

std::string RefusalText(const SettingChange& change) {
  std::string name = TerminalSafe(change.name);
  switch (change.refusal) {
    case SettingRefusal::UnknownName: return FormatText(kTextSettingUnknown, {name});
    case SettingRefusal::NotANumber: return FormatText(kTextSettingNotANumber, {name, change.allowed});
    case SettingRefusal::OutOfRange: return FormatText(kTextSettingOutOfRange, {name, change.allowed});
    case SettingRefusal::NotAChoice: return FormatText(kTextSettingNotAChoice, {name, change.allowed});
    case SettingRefusal::NotText: return FormatText(kTextSettingNotText, {name});
    case SettingRefusal::TooLong: return FormatText(kTextSettingTooLong, {name});
    case SettingRefusal::BadQuoting: return FormatText(kTextSettingBadQuoting, {name});
    case SettingRefusal::NotAnAssignment:
    case SettingRefusal::None: break;
  }
  return {};
}

int SetOne(const std::string& programName, const std::string& assignment, Application& application,
           const std::string& registryPath, std::FILE* out, std::FILE* err) {
  SettingChange change = ParseSettingChange(assignment);
  if (change.refusal == SettingRefusal::NotAnAssignment) {
    std::fprintf(err, "%s\n", FormatText(kTextSettingUsage, {TerminalSafe(programName)}).c_str());
    return kExitUnusable;
  }
  if (change.refusal != SettingRefusal::None) {
    std::fprintf(err, "%s\n", RefusalText(change).c_str());
    return kExitUnusable;
  }
  // A drive's node is used from wherever the program later runs: stored as the file it names now.
  bool node = change.app && (change.app->text == &AppSettings::m_driveANode ||
                              change.app->text == &AppSettings::m_driveBNode);
  if (node && !change.text.empty() && change.text[0] != '/') {
    std::error_code error;
    std::filesystem::path absolute = std::filesystem::absolute(change.text, error);
    if (!error) change.text = absolute.lexically_normal().string();
  }
  if (!StoreSettingChange(application.Services().registry, change, application.settings,
                          application.selfExeSettings)) {
    std::fprintf(err, "%s\n", FormatText(kTextSettingNotStored, {TerminalSafe(registryPath)}).c_str());
    return kExitOperationFailed;
  }
  bool text = change.app ? change.app->text != nullptr : change.selfExe->text != nullptr;
  std::string value = text ? QuotedSettingText(change.text) : std::to_string(change.number);
  std::fprintf(out, "%s\n", FormatText(kTextSettingStored, {change.name, TerminalSafe(value)}).c_str());
  // Every run of this program is a command-line run, which decides these itself (/b, /s, /f, /v).
  if (change.app && IsBatchSetting(change.name)) {
    std::fprintf(out, "%s\n", FormatText(kTextSettingBatch, {change.name}).c_str());
  }
  return kExitDone;
}

}  // namespace

std::optional<int> RunSettingsCommand(const std::vector<std::string>& arguments, Application& application,
                                      const std::string& registryPath, std::FILE* out, std::FILE* err) {
  if (arguments.size() < 2) return std::nullopt;
  const std::string& option = arguments[1];
  bool alone = arguments.size() == 2;
  std::string programName = ProgramName(arguments);
  if (option == "--set") {
    return SetOne(programName, arguments.size() == 3 ? arguments[2] : std::string(), application, registryPath,
                  out, err);
  }
  bool associate = option == "--associate";
  if (option != "--settings" && !associate && option != "--unassociate") return std::nullopt;
  if (!alone) {
    std::fprintf(err, "%s\n", FormatText(kTextOptionTakesNothing, {TerminalSafe(option)}).c_str());
    return kExitUnusable;
  }
  if (option == "--settings") return ListAll(application, out);
  return ChangeDesktopAssociation(associate, OwnProgramPath(), DesktopDataHome(), out, err);
}
