#pragma once
// What the forms of disk archives (ImageDisk, Teledisk) share: the file read whole and parsed, the PC floppy
// it makes, the messages that say why a file is refused, its raw image as a reader, and its own check.

#include <memory>
#include <optional>
#include <span>
#include <string>

#include "base/MessageBoxes.h"
#include "image/forms/ArchivedDisk.h"
#include "image/forms/ImageForm.h"

struct ArchiveKind {
  const char* name;  // "ImageDisk": how messages name the form
  ArchiveParse (*parse)(std::span<const uint8_t> file);
  // The message of a sound file whose every sector holds data; its arguments are the path and the number
  // of sectors, and for a form with checksums first their number.
  int wholeText;
  bool hasSums;
};

// The file's description and geometry, or nullopt after the message why it cannot be read.
std::optional<FormFacts> ArchiveFacts(const ArchiveKind& kind, const std::string& path, IMessageBoxes& boxes);
// The raw image with its bad sectors; nullptr when the file cannot be read.
std::unique_ptr<FormReader> OpenArchiveReader(const ArchiveKind& kind, const std::string& path);
// The form's own check, which shows its result: true when the file is sound and every sector holds data.
bool CheckArchive(const ArchiveKind& kind, const std::string& path, IMessageBoxes& boxes);
