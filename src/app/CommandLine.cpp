#include "app/CommandLine.h"

#include "base/Strings.h"
#include "base/Texts.h"

bool IsSwitch(std::string_view argument, std::string_view name) { return EqualsIgnoringCase(argument, name); }

bool LooksLikeSwitch(std::string_view argument, PathStyle style) {
  if (argument.empty() || argument[0] != '/') return false;
  if (style == PathStyle::Windows) return true;
  return argument.find_first_of("/.", 1) == std::string_view::npos;
}

namespace {

// Where RunCommandLine takes its operands from; 0 for an operand not given.
struct OperandPositions {
  std::size_t description = 0, input = 0, output = 0;
};

// Each test sees the index as the test before it left it, so an operand is taken whatever it looks like.
OperandPositions FindOperands(const std::vector<std::string>& arguments) {
  OperandPositions at;
  for (std::size_t i = 1; i < arguments.size(); ++i) {
    if (IsSwitch(arguments[i], "/d") && i < arguments.size() - 1) at.description = ++i;
    if (IsSwitch(arguments[i], "/i") && i < arguments.size() - 1) at.input = ++i;
    if (IsSwitch(arguments[i], "/o") && i < arguments.size() - 1) at.output = ++i;
  }
  return at;
}

}  // namespace

char OperationSwitch(const std::vector<std::string>& arguments) {
  for (std::size_t i = 1; i < arguments.size(); ++i) {
    for (const char* name : {"/w", "/r", "/t", "/c"}) {
      if (IsSwitch(arguments[i], name)) return name[1];
    }
  }
  return 0;
}

std::vector<std::string> WithFullImagePaths(std::vector<std::string> arguments, PathStyle style,
                                            const std::function<std::string(const std::string&)>& fullPath) {
  auto makeFull = [&](std::size_t at) {
    if (at != 0 && !arguments[at].empty() && !LooksLikeSwitch(arguments[at], style)) {
      arguments[at] = fullPath(arguments[at]);
    }
  };
  if (arguments.size() == 2) {
    makeFull(1);
  } else {
    OperandPositions at = FindOperands(arguments);
    makeFull(at.input);
    makeFull(at.output);
  }
  return arguments;
}

CommandLine::CommandLine(std::vector<std::string> arguments, AppSettings& settings, ICommandLineHost& host,
                         PathStyle style)
    : arguments_(std::move(arguments)), settings_(settings), host_(host), style_(style) {
  if (arguments_.empty()) arguments_.emplace_back();
}

StartDecision CommandLine::Start() {
  StartDecision decision;
  if (Count() == 1) {
    decision.interactive = true;
    return decision;
  }
  if (Count() == 2 && !LooksLikeSwitch(At(1), style_) && host_.OpenAsSource(At(1))) {
    decision.interactive = true;
    return decision;
  }
  decision.batchMode = true;
  host_.EnterBatchMode();
  ApplyBatchSettings();
  int result = ValidateCommandLine();
  if (result == 0) result = RunCommandLine();
  decision.dialogResult = result == -1 ? 2 : 1;
  if (result == -1) {
    decision.exitCode = kExitUnusable;
  } else if (operationStarted_ && outcome_ == OperationOutcome::Failed) {
    decision.exitCode = kExitOperationFailed;
  }
  return decision;
}

bool IsBatchSetting(std::string_view name) {
  for (const char* batch : {"FDLetter", "Suppress", "FormatDisk", "VerifyFormat", "VerifyWrite"}) {
    if (name == batch) return true;
  }
  return false;
}

void CommandLine::ApplyBatchSettings() {
  settings_.m_fdLetter = "A:";
  settings_.m_suppress = 0;
  settings_.m_formatDisk = 0;
  settings_.m_verifyFormat = 1;
  settings_.m_verifyWrite = 1;
}

int CommandLine::ValidateCommandLine() {
  bool fileOperand = false;
  for (std::size_t i = 1; i < Count(); ++i) {
    const std::string& argument = At(i);
    bool hasNext = i + 1 < Count();
    if ((IsSwitch(argument, "/i") || IsSwitch(argument, "/o")) && hasNext) {
      // The operand is not skipped: it is examined at its own position too.
      if (!LooksLikeSwitch(At(i + 1), style_)) fileOperand = true;
    } else if (IsSwitch(argument, "/b")) {
      settings_.m_fdLetter = "B:";
    } else if (IsSwitch(argument, "/s")) {
      settings_.m_suppress = 1;
    } else if (IsSwitch(argument, "/f")) {
      settings_.m_formatDisk = 1;
    } else if (IsSwitch(argument, "/v")) {
      settings_.m_verifyFormat = 0;
      settings_.m_verifyWrite = 0;
    }
  }
  if (fileOperand) return 0;
  host_.ShowCommandLineHelp();
  return -1;
}

int CommandLine::RunCommandLine() {
  OperandPositions at = FindOperands(arguments_);
  auto operand = [this](std::size_t position) { return position != 0 ? At(position) : std::string(); };
  std::string description = operand(at.description), input = operand(at.input), output = operand(at.output);

  char operation = OperationSwitch(arguments_);
  auto ran = [this](OperationOutcome outcome) {
    operationStarted_ = true;
    outcome_ = outcome;
    return 0;
  };
  switch (operation) {
    case 'w':
      if (host_.LoadCurrentImage(input) != 0) return -1;
      return ran(host_.WriteImageToFloppy());
    case 'r':
      if (host_.SetCurrentTarget(output) != 0) return -1;
      host_.SetCurrentDescription(description);
      return ran(host_.ReadFloppyToImage());
    case 't':
      if (host_.LoadCurrentImage(input) != 0) return -1;
      return ran(host_.CheckCurrentIntegrity());
    case 'c':
      if (input.empty() || output.empty()) {
        host_.ShowCommandLineHelp();
        return -1;
      }
      if (host_.LoadConversionSource(input) != 0) return -1;
      if (host_.SetConversionTarget(output) != 0) return -1;
      if (!description.empty()) host_.SetConversionDescription(description);
      return ran(host_.RunConversion());
    default:
      return 0;
  }
}

std::vector<std::string> CommandLineHelpLines() {
  return {kTextHelpUsage,    kTextHelpInput,    kTextHelpOutput,  kTextHelpDescription, kTextHelpWrite,
          kTextHelpRead,     kTextHelpTest,     kTextHelpConvert, kTextHelpDriveB,      kTextHelpSuppress,
          kTextHelpFormat,   kTextHelpNoVerify, kTextHelpForms};
}
