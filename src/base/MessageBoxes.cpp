#include "base/MessageBoxes.h"

#include "base/Texts.h"

namespace {

MessageAnswer ShowText(IMessageBoxes& boxes, MessageIcon icon, int textId, std::initializer_list<FormatArg> args) {
  return boxes.Show(textId, FormatText(TextOf(textId), args), icon);
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
