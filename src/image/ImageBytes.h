#pragma once
// The bytes of an image file laid out as a plain image's are: the file's own, or those of the plain image
// inside another tool's archive (the form decides).

#include <cstdint>
#include <optional>
#include <string>

#include "image/forms/ImageContent.h"

ImageContent::Status OpenImageContent(ImageContent& content, const std::string& path);
// Their size, or nullopt when they cannot be had.
std::optional<uint64_t> ImageContentSize(const std::string& path);
