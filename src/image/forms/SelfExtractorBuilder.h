#pragma once
// Building the self-extracting container: the stub out of the program file, then picture, texts and settings
// block behind the image stream. Apart from the reading side (SelfExtractor.h), which the stub itself links.

#include <optional>
#include <string>

#include "base/File.h"
#include "base/MessageBoxes.h"
#include "image/forms/SelfExtractor.h"

// Opens programPath and positions it at the first byte of the stub (the first stub signature at or after
// offset 1024 and within the file's last kMaxStubBytes). nullopt after message 57682 (cannot open) or 57731
// (no stub in the program file). Every stub message names a carrier that is not the program's own file as
// the self-extractor file it is (kTextStubFileUnreadable, kTextStubFileInvalid).
std::optional<File> FindStubStart(const std::string& programPath, IMessageBoxes& boxes);

// The stub from its carrier: a file that begins with the stub signature and is no longer than a stub is the
// stub itself (the self-extractor as the POSIX program finds it beside itself), positioned at its start;
// any other file is a program that carries it (FindStubStart). Messages as FindStubStart's.
std::optional<File> OpenStubCarrier(const std::string& path, IMessageBoxes& boxes);

// Readers find the image stream by searching the first 512 KB of an .exe for the bzip2 signature, so a stub
// must end before the signature's last possible start and must not contain the signature itself.
inline constexpr int64_t kMaxStubBytes = kExeSearchBytes - kBzip2SignatureBytes;
// Copies the stub from the positioned program file to target. 0, or -1 after message 57682 (program file
// unreadable), 57732 (stub too long or containing the signature) or 123 (write failed).
int CopyStub(File& program, const std::string& programPath, File& target, IMessageBoxes& boxes);

// Writes picture, texts and settings block to out from where it stands (the end of the image stream; offsets
// count from the file's first byte). 0, or -1..-6 after messages 112, 57685, 123, 57686 ("0", "1", "2"). After
// a failure the file holds part of the data: the caller deletes it.
int WriteSelfExtractorData(File& out, const SelfExeSettings& settings, IMessageBoxes& boxes);
