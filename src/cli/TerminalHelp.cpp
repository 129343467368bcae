#include "cli/TerminalHelp.h"

#include <algorithm>

#include "app/CommandLine.h"
#include "base/Format.h"
#include "base/Strings.h"
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
    // Options come first; only --resume and --verbose go with the switches, anywhere among them.
    bool optionPlace = i == 1 || EqualsIgnoringCase(argument, "--resume") || EqualsIgnoringCase(argument, "--verbose");
    if (operand || !optionLike || !optionPlace) continue;
    for (char& c : argument) c = AsciiLower(c);
  }
}

namespace {

bool TakeOption(std::vector<std::string>& arguments, std::initializer_list<std::string_view> names) {
  if (arguments.empty()) return false;
  auto end = std::remove_if(arguments.begin() + 1, arguments.end(), [&](const std::string& argument) {
    return std::find(names.begin(), names.end(), argument) != names.end();
  });
  bool found = end != arguments.end();
  arguments.erase(end, arguments.end());
  return found;
}

}  // namespace

bool TakeResumeOption(std::vector<std::string>& arguments) { return TakeOption(arguments, {"--resume"}); }

bool TakeVerboseOption(std::vector<std::string>& arguments) { return TakeOption(arguments, {"--verbose", "-v"}); }

std::string ProgramName(const std::vector<std::string>& arguments) {
  std::string path = arguments.empty() ? std::string() : arguments[0];
  std::string name = path.substr(path.find_last_of('/') + 1);
  return name.empty() ? "diskelle" : name;
}

namespace {

// A form as the help names it: by its description in Chinese, by its extensions and name in English.
std::string FormLine(const ImageForm& form, const DiskelleHelpTexts& help) {
  std::string line;
  if (help.formsByDescription) {
    std::string_view description = form.description;
    line = description.substr(0, description.find_last_not_of(' ') + 1);
  } else {
    for (std::string_view extension : form.extensions) line += "*" + std::string(extension) + " ";
    line += " " + std::string(form.name);
  }
  return form.Writable() ? line : FormatText(help.readOnly, {line});
}

}  // namespace

std::vector<std::string> TerminalHelpLines(const std::string& programName, HelpLanguage language) {
  const DiskelleHelpTexts help = DiskelleHelp(language);
  std::vector<std::string> lines{FormatText(help.usage, {TerminalSafe(programName)})};
  lines.insert(lines.end(), help.switches.begin(), help.switches.end());
  for (const char* option : help.options) lines.push_back(std::string("  ") + option);
  lines.emplace_back();
  lines.emplace_back(help.formsHeading);
  for (const ImageForm* form : ImageForms()) lines.push_back("  " + FormLine(*form, help));
  for (const auto& [heading, options] : help.groups) {
    lines.emplace_back();
    lines.emplace_back(heading);
    for (const char* option : options) lines.push_back(std::string("  ") + option);
  }
  return lines;
}
