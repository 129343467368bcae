#include "base/MessageBoxes.h"

#include <vector>

#include "base/Texts.h"

namespace {

MessageAnswer ShowText(IMessageBoxes& boxes, MessageIcon icon, int textId, std::initializer_list<FormatArg> args) {
  std::vector<std::string> shownTexts;
  shownTexts.reserve(args.size());  // the arguments below point into it: it must never move
  std::vector<FormatArg> shown;
  for (const FormatArg& arg : args) {
    if (!arg.IsText()) {
      shown.push_back(arg);
      continue;
    }
    shownTexts.push_back(boxes.ShownArgument(arg.AsText()));
    shown.emplace_back(shownTexts.back());
  }
  return boxes.Show(textId, FormatText(TextOf(textId), std::span<const FormatArg>(shown)), icon);
}

}  // namespace

void ShowMessage(IMessageBoxes& boxes, MessageIcon icon, int textId, std::initializer_list<FormatArg> args) {
  ShowText(boxes, icon, textId, args);
}

void ShowError(IMessageBoxes& boxes, int textId, std::initializer_list<FormatArg> args) {
  ShowText(boxes, MessageIcon::Error, textId, args);
}

void ShowInformation(IMessageBoxes& boxes, int textId, std::initializer_list<FormatArg> args) {
  ShowText(boxes, MessageIcon::Information, textId, args);
}

bool AskYesNo(IMessageBoxes& boxes, int textId, std::initializer_list<FormatArg> args) {
  return ShowText(boxes, MessageIcon::Question, textId, args) == MessageAnswer::Yes;
}
