#pragma once
// One change to the volume of a disk held in memory, all or nothing, with its refusals said through the
// message seam: what the command line and the files window share. Statuses are the command line's exit
// statuses: 0 done, 1 refused (no room, a name that exists, a path not found...), 2 a name FAT cannot hold or
// a volume that cannot be changed.

#include <functional>
#include <string>
#include <vector>

#include "base/MessageBoxes.h"
#include "filesystem/FatFromFolder.h"
#include "filesystem/FatWriter.h"

inline constexpr int kChangeDone = 0;
inline constexpr int kChangeRefused = 1;
inline constexpr int kChangeUnusable = 2;

int StatusOf(FatChange change);

// A writer over volume goes to change, which returns 0 or its refusal's status after its messages. When the
// changes all found room, volume becomes the changed one. Otherwise the status, after the message of the
// shortfall (bytes needed and free), of the volume's faults or of no FAT volume at imagePath; volume is then
// spent (it is taken, not copied: keep a copy to go on with the unchanged one).
int ChangeVolume(std::vector<uint8_t>& volume, const std::string& imagePath, IMessageBoxes& boxes,
                 const std::function<int(FatWriter&)>& change);

// Says what in the tree FAT cannot take: kChangeUnusable when anything, else 0.
int SayTreeProblems(IMessageBoxes& boxes, const HostTree& tree);
// Says which of the tree's items were refused, each named by where it would have gone on the disk (under the
// disk's folder under); their status, 0 for none. useForce is said once when files were kept for want of it.
int SayTreeRefusals(IMessageBoxes& boxes, const HostTree& tree, const std::vector<TreeItemRefused>& refused,
                    const std::string& under, const char* useForce = nullptr);
