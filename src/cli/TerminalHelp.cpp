#include "cli/TerminalHelp.h"

#include <algorithm>

#include "app/CommandLine.h"
#include "base/Format.h"
#include "base/Strings.h"
#include "base/Texts.h"
#include "cli/TerminalText.h"
#include "image/forms/ImageForm.h"

bool AsksForHelp(const std::vector<std::string>& arguments) {
  if (arguments.size() != 2) return false;
  const std::string& argument = arguments[1];
  return argument == "--help" || argument == "-h" || argument == "/?";
}

void LowerLongOptions(std::vector<std::string>& arguments) {
  for (std::size_t i = 1; i < arguments.size(); ++i) {
    std::string& argument = arguments[i];
    bool operand = IsSwitch(arguments[i - 1], "/d") || IsSwitch(arguments[i - 1], "/i") ||
                   IsSwitch(arguments[i - 1], "/o");
    bool optionLike = argument.size() > 2 && argument.starts_with("--") &&
                      argument.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ-") ==
                          std::string::npos;
    // Options come first; only --resume goes with the switches, anywhere among them.
    bool optionPlace = i == 1 || EqualsIgnoringCase(argument, "--resume");
    if (operand || !optionLike || !optionPlace) continue;
    for (char& c : argument) c = AsciiLower(c);
  }
}

bool TakeResumeOption(std::vector<std::string>& arguments) {
  if (arguments.empty()) return false;
  auto end = std::remove(arguments.begin() + 1, arguments.end(), std::string("--resume"));
  bool found = end != arguments.end();
  arguments.erase(end, arguments.end());
  return found;
}

std::string ProgramName(const std::vector<std::string>& arguments) {
  std::string path = arguments.empty() ? std::string() : arguments[0];
  std::string name = path.substr(path.find_last_of('/') + 1);
  return name.empty() ? "diskelle" : name;
}

std::vector<std::string> TerminalHelpLines(const std::string& programName) {
  std::vector<std::string> lines = CommandLineHelpLines();
  lines.front() = FormatText(kTextHelpUsageNamed, {TerminalSafe(programName)});
  lines.push_back(std::string("  ") + kTextHelpResume);
  lines.push_back(std::string("  ") + kTextHelpDrives);
  lines.push_back(std::string("  ") + kTextHelpVersion);
  lines.emplace_back();
  lines.emplace_back(kTextHelpSettingsGroup);
  for (const char* option : {kTextHelpListSettings, kTextHelpSetSetting, kTextHelpAssociate, kTextHelpUnassociate}) {
    lines.push_back(std::string("  ") + option);
  }
  lines.emplace_back();
  lines.emplace_back(kTextHelpFilesGroup);
  for (const char* option : {kTextHelpFiles, kTextHelpExtract}) lines.push_back(std::string("  ") + option);
  lines.emplace_back();
  lines.emplace_back(kTextHelpFormsGroup);
  for (const ImageForm* form : ImageForms()) {
    std::string_view description = form->description;
    description = description.substr(0, description.find_last_not_of(' ') + 1);
    lines.push_back("  " + (form->Writable() ? std::string(description)
                                             : FormatText(kTextHelpFormReadOnly, {std::string(description)})));
  }
  lines.emplace_back();
  lines.emplace_back(kTextHelpEnvironment);
  for (const char* variable : {kTextHelpEnvironmentDrives, kTextHelpEnvironmentDelay, kTextHelpEnvironmentRegistry,
                               kTextHelpEnvironmentCodePage, kTextHelpEnvironmentSfx}) {
    lines.push_back(std::string("  ") + variable);
  }
  lines.emplace_back();
  lines.emplace_back(kTextHelpExitStatus);
  for (const char* code : {kTextHelpExitDone, kTextHelpExitFailed, kTextHelpExitUnusable}) {
    lines.push_back(std::string("  ") + code);
  }
  return lines;
}
