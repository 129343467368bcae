#pragma once
// The first step of every image save, with its messages.

#include <string>

#include "base/File.h"
#include "base/MessageBoxes.h"

// True, or false after message 125 (a read-only target), the not-a-regular-file message (a device, a FIFO,
// a folder) or 106 (cannot create).
bool BeginImageSave(FileSave& save, const std::string& targetPath, IMessageBoxes& boxes);
// The same answer and message before long work, without making a file (FileSave::Check).
bool CheckImageSave(const std::string& targetPath, IMessageBoxes& boxes);
