#include "image/trailer/WrittenCrc.h"

void WrittenCrc::Wrote(const void* bytes, std::size_t size) {
  // A write past the end leaves a gap that reads as zeros (a hole in a raw image).
  if (inOrder_ && position_ > end_) {
    sum_.UpdateZeros(position_ - end_);
    end_ = position_;
  }
  if (position_ != end_) inOrder_ = false;
  sum_.Update(bytes, size);
  position_ += size;
  if (position_ > end_) end_ = position_;
}

void WrittenCrc::Moved(int64_t position) {
  // A position the system could not tell counts as one inside the file.
  position_ = position >= 0 ? static_cast<uint64_t>(position) : 0;
}

std::optional<uint32_t> WrittenCrc::Value() const {
  if (!inOrder_) return std::nullopt;
  return sum_.Value();
}
