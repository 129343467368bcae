#include "support/FakeMessageBoxes.h"

MessageAnswer FakeMessageBoxes::Show(int textId, const std::string& text, MessageIcon icon) {
  std::lock_guard lock(mutex_);
  boxes_.push_back({textId, text, icon});
  if (icon != MessageIcon::Question) return MessageAnswer::Ok;
  if (answers_.empty()) return MessageAnswer::No;
  MessageAnswer answer = answers_.front();
  answers_.pop_front();
  return answer;
}

void FakeMessageBoxes::AnswerNext(std::initializer_list<MessageAnswer> answers) {
  std::lock_guard lock(mutex_);
  answers_.insert(answers_.end(), answers.begin(), answers.end());
}

std::vector<RecordedBox> FakeMessageBoxes::Boxes() const {
  std::lock_guard lock(mutex_);
  return boxes_;
}

std::vector<int> FakeMessageBoxes::Ids() const {
  std::lock_guard lock(mutex_);
  std::vector<int> ids;
  for (const RecordedBox& box : boxes_) ids.push_back(box.textId);
  return ids;
}

void FakeMessageBoxes::Clear() {
  std::lock_guard lock(mutex_);
  boxes_.clear();
  answers_.clear();
}
