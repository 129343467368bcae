#pragma once
// The system calls behind base/File.h, one implementation per system (File_posix.cpp, File_win32.cpp).
// Only the file layer itself includes this header.

#include <cstdio>
#include <string>
#include <vector>

#include "base/File.h"

// Characters that end a folder name in a path.
extern const char* const kPathSeparators;

enum class PathKind { Missing, Regular, Other };
PathKind KindOfPath(const std::string& path);

enum class CreateResult { Created, Exists, Failed };
// Creates path for writing, failing when anything already has that name (never follows a link there).
CreateResult CreateNewFile(const std::string& path, std::FILE*& file, FileError& error);

// Flushes and puts an open file's data on the disk.
bool SyncOpenFile(std::FILE* file, FileError& error);
// Puts a closed file's data on the disk.
bool SyncClosedFile(const std::string& path, FileError& error);
// Gives file the permission bits (and owner, where allowed) of model.
void CopyModeAndOwner(const std::string& model, const std::string& file);
// Renames from over to, replacing to if it exists; readers see the old or the new file, never a mix.
bool RenameOver(const std::string& from, const std::string& to, FileError& error);
// Gives from the name to only where nothing has that name, in one step that refuses to replace (also what
// another process put there meanwhile). Unsupported where the file system has no such step.
enum class PlaceResult { Placed, Exists, Unsupported, Failed };
PlaceResult RenameNoReplace(const std::string& from, const std::string& to, FileError& error);
// Puts a rename in the folder of path on the disk (where the system needs it).
void SyncFolderOf(const std::string& path);
// What the last failed call of this thread says, as a FileError (never None).
FileError CurrentFileError();
// The tests' hold on a save (POSIX; nothing on Windows): when $DISKELLE_HOLD_SAVE names target, the process
// stops itself (SIGSTOP) until a SIGCONT, so that a test can act on a job at a known step of its save.
void HoldSaveForTest(const std::string& target);
// Removes a file from within a signal handler.
void RemoveFileNow(const char* path);
// The running process's number, and whether a process of that number still runs on this system (false only
// when the system says there is none).
unsigned long CurrentProcessId();
bool ProcessRunning(unsigned long id);
// The names in folder (a path ending in a separator, or "" for the working folder); empty when it cannot be
// read.
std::vector<std::string> FolderEntries(const std::string& folder);
