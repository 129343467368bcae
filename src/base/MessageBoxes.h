#pragma once
// The message seam: how the core shows a message box. Win32 shows a real box, the POSIX front end writes
// to the terminal, tests record every box. Error boxes are always shown; whether an information box or a
// question is shown at all (the Suppress setting) is decided by the caller, never here.

#include <initializer_list>
#include <string>
#include <string_view>

#include "base/Format.h"

enum class MessageIcon { None, Error, Exclamation, Information, Question };
enum class MessageAnswer { Ok, Yes, No };

class IMessageBoxes {
 public:
  virtual ~IMessageBoxes() = default;
  // Question boxes offer Yes and No; all others only OK. textId is the string-table id (0 for none).
  // May be called from worker threads.
  virtual MessageAnswer Show(int textId, const std::string& text, MessageIcon icon) = 0;
  // A text argument of a message (a path, a description: texts from files and arguments) as this seam can
  // show it safely; a terminal must not receive their control characters raw.
  virtual std::string ShownArgument(std::string_view text) const { return std::string(text); }
};

// Shows nothing and answers No: for a reading whose failure its caller reports in its own words, or not at all.
class QuietMessageBoxes final : public IMessageBoxes {
 public:
  MessageAnswer Show(int, const std::string&, MessageIcon) override { return MessageAnswer::No; }
};

// The string-table text of textId filled with args, shown with the given icon.
void ShowMessage(IMessageBoxes& boxes, MessageIcon icon, int textId, std::initializer_list<FormatArg> args = {});
void ShowError(IMessageBoxes& boxes, int textId, std::initializer_list<FormatArg> args = {});
void ShowInformation(IMessageBoxes& boxes, int textId, std::initializer_list<FormatArg> args = {});
// True when the user answered Yes.
bool AskYesNo(IMessageBoxes& boxes, int textId, std::initializer_list<FormatArg> args = {});
