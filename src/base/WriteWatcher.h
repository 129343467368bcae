#pragma once
// The interface through which a File shows its writes; the implementations live where the bytes matter.

#include <cstddef>
#include <cstdint>

// Sees every byte written through a File, in the order written, and where a seek takes the file: the image
// writer takes a new file's checksum this way instead of reading the file back.
class WriteWatcher {
 public:
  virtual void Wrote(const void* bytes, std::size_t size) = 0;
  virtual void Moved(int64_t position) = 0;

 protected:
  ~WriteWatcher() = default;
};
