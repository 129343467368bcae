#pragma once
// The cells a data separator found in a track's flux: one bit per cell, 1 where a flux reversal fell.

#include <cstddef>
#include <cstdint>
#include <vector>

class CellStream {
 public:
  std::size_t Size() const { return size_; }
  bool At(std::size_t cell) const { return cell < size_ && (words_[cell / 64] >> (63 - cell % 64) & 1) != 0; }
  // Cells from cell on as a number, the first cell its highest bit (count at most 32); cells past the end are 0.
  uint32_t Bits(std::size_t cell, unsigned count) const;
  // zeros empty cells, then one with a reversal.
  void PushReversal(std::size_t zeros) {
    size_ += zeros;
    if (words_.size() <= size_ / 64) words_.resize(size_ / 64 + 1, 0);
    words_[size_ / 64] |= uint64_t{1} << (63 - size_ % 64);
    ++size_;
  }
  void Reserve(std::size_t cells) { words_.reserve(cells / 64 + 1); }

 private:
  std::vector<uint64_t> words_;
  std::size_t size_ = 0;
};
