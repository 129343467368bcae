#pragma once
// The message seam of the POSIX front end: errors to stderr, information to stdout, questions answered on
// the terminal (without a terminal the answer is No).

#include <cstdio>
#include <mutex>

#include "base/MessageBoxes.h"

class TerminalMessageBoxes : public IMessageBoxes {
 public:
  TerminalMessageBoxes(std::FILE* in, std::FILE* out, std::FILE* err, bool interactive)
      : in_(in), out_(out), err_(err), interactive_(interactive) {}

  MessageAnswer Show(int textId, const std::string& text, MessageIcon icon) override;
  std::string ShownArgument(std::string_view text) const override;

  // Output that must not interleave with a box (the progress line) takes this lock.
  std::mutex& OutputLock() { return mutex_; }
  // While a progress line is open, a box starts on a line of its own.
  void SetProgressLineOpen(bool open) { progressLineOpen_ = open; }
  bool ProgressLineOpen() const { return progressLineOpen_; }

 private:
  std::FILE* in_;
  std::FILE* out_;
  std::FILE* err_;
  bool interactive_;
  bool progressLineOpen_ = false;
  std::mutex mutex_;
};
