#pragma once
// Reading a file held whole, record by record, never past its end: what the parsers of other tools' disk
// archives share.

#include <cstddef>
#include <cstdint>
#include <span>

class ByteCursor {
 public:
  explicit ByteCursor(std::span<const uint8_t> bytes, std::size_t at = 0) : bytes_(bytes), at_(at) {}
  bool AtEnd() const { return at_ == bytes_.size(); }
  std::size_t At() const { return at_; }
  // The next count bytes, or an empty span (and the cursor stays) when the file ends first.
  std::span<const uint8_t> Take(std::size_t count) {
    if (bytes_.size() - at_ < count) return {};
    std::span<const uint8_t> taken = bytes_.subspan(at_, count);
    at_ += count;
    return taken;
  }

 private:
  std::span<const uint8_t> bytes_;
  std::size_t at_;
};
