#pragma once
// The trailer's file operations shared by CImageInfo and the image writer, which works on a temporary file
// but names the target in its messages.

#include <cstdint>
#include <optional>
#include <string>

#include "base/File.h"
#include "base/MessageBoxes.h"
#include "image/trailer/Crc32.h"
#include "image/trailer/Trailer.h"
#include "image/trailer/WrittenCrc.h"

// The last kTrailerBytes bytes of the image's bytes (ImageContent: a zip .imz's unpacked file). 0, -1 cannot
// open or read (an empty file included), -2 shorter than a trailer, -3 a damaged zip .imz, -4 a zip .imz
// whose file is larger than any image.
int ReadLastBlock(const std::string& path, uint8_t* block);

// CRC-32 of the file, without its last kTrailerBytes when excludeTrailer, read in chunks.
// 0, or -1 (cannot open or read, or nothing to check).
int FileCrc32(const std::string& path, bool excludeTrailer, uint32_t& crc);
// The same over the image's bytes (a zip .imz's unpacked file); -1 also for a zip .imz that cannot be read.
int ImageCrc32(const std::string& path, bool excludeTrailer, uint32_t& crc);

// Appends the trailer of fields to the file at filePath, with the file's CRC as its checksum (also given in
// checksum); messages name shownPath. A failed append is cut off again, so the file never ends in part of a
// trailer. 0, -1 (57696), -2 (57701).
int AppendTrailer(const std::string& filePath, const std::string& shownPath, TrailerFields fields,
                  uint32_t& checksum, IMessageBoxes& boxes);

// Ends the new file of save with the trailer of fields, its checksum the CRC of every byte written before it
// (also given in checksum): crc's, or where that is unknown the file's own, read back. The trailer is handed
// to the system at once, so that its failure is told apart from a later one. Messages name shownPath. 0, -1
// (57696: nothing written, or the file cannot be read back), -2 (57701); the caller then abandons the save.
int EndWithTrailer(FileSave& save, const WrittenCrc& crc, const std::string& shownPath, TrailerFields fields,
                   uint32_t& checksum, IMessageBoxes& boxes);
