#pragma once
// The raw image inside a bzip2 stream, for the .imz form and for the self-extracting form, whose image is
// such a stream behind the stub.

#include <cstdint>
#include <memory>
#include <string>

#include "image/forms/ImageForm.h"

// The raw image of the bzip2 stream that starts at offset start of the file at path; nullptr when the file
// cannot be opened or the stream cannot be started.
std::unique_ptr<FormReader> OpenBzip2Stream(const std::string& path, int64_t start);
