#include "floppy/FloppyDrives.h"

#include "floppy/virtual/DelayedNtSyscalls.h"
#include "floppy/DriveNode.h"
#include "floppy/nt/NtFloppyDevice.h"
#include "floppy/virtual/SimulatedVwin32Syscalls.h"
#include "floppy/vwin32/Vwin32FloppyDevice.h"

std::optional<std::string> VirtualDriveFile(const EnvironmentLookup& environment, char letter) {
  std::optional<std::string> path = environment(std::string("DISKELLE_DRIVE_") + letter);
  if (path && path->empty()) return std::nullopt;
  return path;
}

std::optional<std::chrono::milliseconds> VirtualDriveDelay(const EnvironmentLookup& environment) {
  std::optional<std::string> text = environment("DISKELLE_DRIVE_DELAY_MS");
  constexpr int kMaxDelayMs = 10000;
  if (!text || text->empty() || text->size() > 5) return std::nullopt;
  int value = 0;
  for (char c : *text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  if (value < 1 || value > kMaxDelayMs) return std::nullopt;
  return std::chrono::milliseconds(value);
}

FloppyDrives::FloppyDrives(const EnvironmentLookup& environment, std::unique_ptr<IFloppyDeviceFactory> systemDrives,
                           DevicePath devicePath)
    : environment_(environment), systemDrives_(std::move(systemDrives)) {
  if (std::optional<std::chrono::milliseconds> delay = VirtualDriveDelay(environment)) {
    delayedDrives_ = std::make_unique<DelayedNtSyscalls>(virtualDrives_, *delay);
  }
  if (devicePath == DevicePath::Windows9x) {
    vwin32_ = std::make_unique<SimulatedVwin32Syscalls>(delayedDrives_ ? *delayedDrives_ : virtualDrives_);
  }
}

std::unique_ptr<IFloppyDevice> FloppyDrives::Create(const DeviceContext& context) {
  char letter = DriveLetterOf(context.settings);
  std::optional<std::string> named = DriveNodeFor(environment_, context.settings, letter);
  if (named && !systemDrives_->IsDrive(*named)) {
    // Attached at the first job that reaches the letter; a job's devices are gone before the next job starts.
    std::lock_guard lock(mutex_);
    if (attached_[letter] != *named) {
      virtualDrives_.Attach(letter, std::make_shared<VirtualFloppyFileStore>(*named));
      attached_[letter] = *named;
    }
    if (vwin32_) return std::make_unique<Vwin32FloppyDevice>(*vwin32_, context);
    INtSyscalls& drives = delayedDrives_ ? *delayedDrives_ : static_cast<INtSyscalls&>(virtualDrives_);
    return std::make_unique<NtFloppyDevice>(drives, context, *named);
  }
  return systemDrives_->Create(context);
}
