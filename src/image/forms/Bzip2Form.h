#pragma once
// .imz: the raw sectors as one bzip2 stream, then our trailer. The stream's reader and writer serve the
// self-extracting form too, whose image is such a stream behind the stub.

#include <cstdint>
#include <memory>
#include <string>

#include "image/forms/Bzip2File.h"
#include "image/forms/ImageForm.h"

extern const ImageForm kBzip2Form;

// The raw image of the bzip2 stream that starts at offset start of the file at path; nullptr when the file
// cannot be opened or the stream cannot be started.
std::unique_ptr<FormReader> OpenBzip2Stream(const std::string& path, int64_t start);

// The raw image as a bzip2 stream from where the new file stands when Start is called.
class Bzip2StreamWriter : public FormWriter {
 public:
  bool Start(File& out, const std::string& shownPath, IMessageBoxes& boxes) override;
  bool Write(File& out, const void* data, std::size_t bytes) override;
  bool End() override;

 private:
  Bzip2Writer stream_;
};
