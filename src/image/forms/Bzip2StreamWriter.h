#pragma once
// The raw image as a bzip2 stream, for the .imz form and behind the self-extracting form's stub.

#include <cstddef>
#include <string>

#include "image/forms/Bzip2Writer.h"
#include "image/forms/ImageForm.h"

// Writes the stream from where the new file stands when Start is called.
class Bzip2StreamWriter : public FormWriter {
 public:
  bool Start(File& out, const std::string& shownPath, IMessageBoxes& boxes) override;
  bool Write(File& out, const void* data, std::size_t bytes) override;
  bool End(File& out) override;

 private:
  Bzip2Writer stream_;
};
