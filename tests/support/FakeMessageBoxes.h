#pragma once
// The message seam's test double: records every box and answers questions from a script.

#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "base/MessageBoxes.h"

struct RecordedBox {
  int textId;
  std::string text;
  MessageIcon icon;
};

class FakeMessageBoxes : public IMessageBoxes {
 public:
  MessageAnswer Show(int textId, const std::string& text, MessageIcon icon) override;

  // Answers for the next questions, in order; an unscripted question is answered No.
  void AnswerNext(std::initializer_list<MessageAnswer> answers);

  std::vector<RecordedBox> Boxes() const;
  std::vector<int> Ids() const;
  void Clear();

 private:
  mutable std::mutex mutex_;
  std::vector<RecordedBox> boxes_;
  std::deque<MessageAnswer> answers_;
};
