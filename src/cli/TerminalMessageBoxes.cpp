#include "cli/TerminalMessageBoxes.h"

#include <string>

#include "cli/TerminalText.h"

namespace {

bool IsYes(const std::string& line) {
  return !line.empty() && (line[0] == 'y' || line[0] == 'Y' || line.rfind("是", 0) == 0);
}

}  // namespace

std::string TerminalMessageBoxes::ShownArgument(std::string_view text) const { return TerminalSafe(text); }

MessageAnswer TerminalMessageBoxes::Show(int, const std::string& text, MessageIcon icon) {
  std::lock_guard lock(mutex_);
  if (progressLineOpen_) {
    std::fprintf(err_, "\n");
    progressLineOpen_ = false;
  }
  switch (icon) {
    case MessageIcon::Error:
    case MessageIcon::Exclamation:
      std::fprintf(err_, "%s\n", text.c_str());
      std::fflush(err_);
      return MessageAnswer::Ok;
    case MessageIcon::Information:
    case MessageIcon::None:
      std::fprintf(out_, "%s\n", text.c_str());
      std::fflush(out_);
      return MessageAnswer::Ok;
    case MessageIcon::Question:
      break;
  }
  std::fprintf(err_, "%s [是(Y)/否(N)] ", text.c_str());
  if (!interactive_) {
    std::fprintf(err_, "否(N)\n");
    std::fflush(err_);
    return MessageAnswer::No;
  }
  std::fflush(err_);
  std::string line;
  for (int c = std::fgetc(in_); c != EOF && c != '\n'; c = std::fgetc(in_)) line += static_cast<char>(c);
  return IsYes(line) ? MessageAnswer::Yes : MessageAnswer::No;
}
