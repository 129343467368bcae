#include "floppy/FloppyDrives.h"

#include "floppy/NtFloppyDevice.h"

namespace {

char DriveLetter(const std::string& fdLetter) {
  char c = fdLetter.empty() ? 'A' : fdLetter[0];
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

}  // namespace

std::optional<std::string> VirtualDriveFile(const EnvironmentLookup& environment, char letter) {
  std::optional<std::string> path = environment(std::string("DISKELLE_DRIVE_") + letter);
  if (path && path->empty()) return std::nullopt;
  return path;
}

FloppyDrives::FloppyDrives(const EnvironmentLookup& environment, std::unique_ptr<IFloppyDeviceFactory> systemDrives)
    : systemDrives_(std::move(systemDrives)) {
  for (char letter : {'A', 'B'}) {
    if (std::optional<std::string> path = VirtualDriveFile(environment, letter)) {
      virtualDrives_.Attach(letter, std::make_shared<VirtualFloppyFileStore>(*path));
    }
  }
}

std::unique_ptr<IFloppyDevice> FloppyDrives::Create(const DeviceContext& context) {
  if (virtualDrives_.HasDrive(DriveLetter(context.settings.m_fdLetter))) {
    return std::make_unique<NtFloppyDevice>(virtualDrives_, context);
  }
  return systemDrives_->Create(context);
}

std::unique_ptr<IFloppyDeviceFactory> ProgramFloppyDevices() {
  return std::make_unique<FloppyDrives>(ProcessEnvironment, SystemFloppyDevices());
}
