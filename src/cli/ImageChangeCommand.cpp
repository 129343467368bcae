#include "cli/ImageChangeCommand.h"

#include <chrono>
#include <utility>

#include "app/CommandLine.h"
#include "base/Strings.h"
#include "base/Texts.h"
#include "cli/TerminalHelp.h"
#include "cli/TerminalText.h"
#include "filesystem/FileTexts.h"

namespace {

// Long enough for another change of a floppy's image to end, short enough for a script to hear of a window
// that holds the image.
constexpr std::chrono::seconds kWaitForOtherChange{10};

}  // namespace

int RefuseCommandLine(const ChangeCommand& command) {
  const std::string program = TerminalSafe(ProgramName(command.arguments));
  std::fprintf(command.err, "%s\n", FormatText(kTextChangeUsage, {program, program, program, program, program}).c_str());
  return kExitUnusable;
}

std::optional<ChangeArguments> ParseChangeArguments(const ChangeCommand& command,
                                                    const std::vector<std::string_view>& valued, bool force) {
  ChangeArguments parsed;
  const std::vector<std::string>& arguments = command.arguments;
  bool options = true;
  for (std::size_t i = 2; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (!options || !argument.starts_with("--")) {
      parsed.operands.push_back(argument);
      continue;
    }
    if (argument == "--") {
      options = false;
      continue;
    }
    if (force && EqualsIgnoringCase(argument, "--force")) {
      parsed.force = true;
      continue;
    }
    bool known = false;
    for (std::string_view name : valued) {
      if (!EqualsIgnoringCase(argument, name) || i + 1 >= arguments.size()) continue;
      parsed.values[std::string(name)] = arguments[++i];
      known = true;
    }
    if (!known) {
      RefuseCommandLine(command);
      return std::nullopt;
    }
  }
  return parsed;
}

int OpenForChange(const ChangeCommand& command, ImageChange& image, const std::string& path) {
  switch (image.Open(path, command.boxes, kWaitForOtherChange)) {
    case ChangeOpen::Ready: return kExitDone;
    case ChangeOpen::Busy:
    case ChangeOpen::Exists:
    case ChangeOpen::Damaged: return kExitOperationFailed;
    case ChangeOpen::ReadOnlyForm:
    case ChangeOpen::Unusable: return kExitUnusable;
  }
  return kExitUnusable;
}

int ChangeImage(const ChangeCommand& command, ImageChange& image, const std::function<int(FatWriter&)>& change) {
  std::vector<uint8_t> volume = image.TakeSectors();
  if (const int status = ChangeVolume(volume, image.Path(), command.boxes, change)) return status;
  const int saved = image.Save(std::move(volume), command.write, command.boxes, command.cancel);
  if (saved == kSaveCancelled) std::fprintf(command.err, "%s\n", kTextChangeCancelled);
  return saved == 0 ? kExitDone : kExitOperationFailed;
}

std::optional<int> RunChangeCommand(const std::vector<std::string>& arguments, IMessageBoxes& boxes, std::FILE* err,
                                    const ImageWriteOptions& write, const std::atomic<bool>* cancel) {
  if (arguments.size() < 2) return std::nullopt;
  const ChangeCommand command{arguments, boxes, err, write, cancel};
  const std::string& name = arguments[1];
  if (name == "--new") return RunNewImage(command);
  if (name == "--add") return RunAdd(command);
  if (name == "--mkdir") return RunMakeFolder(command);
  if (name == "--delete") return RunDelete(command);
  if (name == "--label") return RunLabel(command);
  return std::nullopt;
}
