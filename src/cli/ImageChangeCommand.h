#pragma once
// The commands that change the files on an image's disk (--new, --add, --mkdir, --delete, --label), one file
// each, and what they share: their command line, the image held against other changes, the writer over its
// volume, the save, and the exit status: 0 done; 1 refused (no room, a name that exists, a path not found, an
// image with bad sectors or changed by another process meanwhile); 2 an unusable command line, name or image.
// Nothing is saved unless the whole change is done.

#include <atomic>
#include <cstdio>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/MessageBoxes.h"
#include "filesystem/FatFromFolder.h"
#include "filesystem/FatWriter.h"
#include "filesystem/VolumeChange.h"
#include "image/ImageChange.h"
#include "image/ImageWriter.h"

struct ChangeCommand {
  const std::vector<std::string>& arguments;  // the whole command line, the command at 1
  IMessageBoxes& boxes;
  std::FILE* err;
  ImageWriteOptions write;  // the settings a new image (compatible mode) and an .exe are written with
  const std::atomic<bool>* cancel;  // Ctrl-C: once set, the change is not saved
};

struct ChangeArguments {
  std::vector<std::string> operands;
  bool force = false;
  std::map<std::string, std::string> values;  // the options that take a value, in lower case
};
// The arguments after the command: nullopt after the usage when an option is not one of valued (or --force
// where force is allowed) or lacks its value. "--" ends the options.
std::optional<ChangeArguments> ParseChangeArguments(const ChangeCommand& command,
                                                    const std::vector<std::string_view>& valued, bool force);
// Prints the usage: the exit status of an unusable command line.
int RefuseCommandLine(const ChangeCommand& command);

// Opens the image at path for a change (waiting a while for another change to end): 0, or the exit status
// after the message.
int OpenForChange(const ChangeCommand& command, ImageChange& image, const std::string& path);
// Hands a writer over the image's volume to change, which returns 0 or the exit status of what it refused
// (after its messages), then saves the changed volume when everything was done.
int ChangeImage(const ChangeCommand& command, ImageChange& image, const std::function<int(FatWriter&)>& change);

// The exit status when arguments ask for one of the commands, nullopt when they ask for none.
std::optional<int> RunChangeCommand(const std::vector<std::string>& arguments, IMessageBoxes& boxes, std::FILE* err,
                                    const ImageWriteOptions& write, const std::atomic<bool>* cancel);

int RunNewImage(const ChangeCommand& command);
int RunAdd(const ChangeCommand& command);
int RunMakeFolder(const ChangeCommand& command);
int RunDelete(const ChangeCommand& command);
int RunLabel(const ChangeCommand& command);
