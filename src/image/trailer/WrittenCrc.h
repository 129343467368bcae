#pragma once

#include <cstdint>
#include <optional>

#include "base/WriteWatcher.h"
#include "image/trailer/Crc32.h"

// The CRC-32 of a new file taken from its bytes as they are written (File::Watch), so that the file is never
// read back for its checksum. It holds while each write follows the one before or lands past the end (the
// gap then counts as the zeros it reads as): bytes written again over earlier ones (a raw image's rescued
// sector) leave it unknown.
class WrittenCrc final : public WriteWatcher {
 public:
  void Wrote(const void* bytes, std::size_t size) override;
  void Moved(int64_t position) override;
  // nullopt when bytes were written over others.
  std::optional<uint32_t> Value() const;
  // How many bytes the file has received (its length).
  uint64_t Bytes() const { return end_; }

 private:
  Crc32 sum_;
  uint64_t position_ = 0;
  uint64_t end_ = 0;
  bool inOrder_ = true;
};
