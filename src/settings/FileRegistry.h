#pragma once
// The POSIX settings store: the registry kept as a REGEDIT4 text file. Every change is made under a lock
// file on the latest state of the file and saved with temp file + rename, so two processes never lose each
// other's values and a crash never leaves a half-written hive. A damaged file is kept, byte for byte, as
// "<file>.bad" (or "<file>.bad.2", ... when earlier copies exist), reported once and read as empty. A missing
// file reads as defaults, and none is made before a value is stored.

#include <functional>
#include <optional>
#include <string>

#include "base/File.h"
#include "settings/HiveRegistry.h"

class FileRegistry : public HiveRegistry {
 public:
  using DamageReport = std::function<void(const std::string& hivePath, const std::string& keptCopy)>;

  FileRegistry(std::string path, DamageReport onDamaged);

  // $DISKELLE_REGISTRY, else $XDG_CONFIG_HOME/diskelle/registry.reg, else ~/.config/diskelle/registry.reg.
  static std::string DefaultPath();

 protected:
  long Inspect(const std::function<long(const RegistryHive&)>& read) override;
  long Change(const std::function<long(RegistryHive&)>& change) override;

 private:
  struct FileIdentity {
    unsigned long long device = 0, inode = 0, size = 0;
    long long modifiedNs = 0;
    bool operator==(const FileIdentity&) const = default;
  };

  // The hive as the file holds it now (re-read only when the file changed).
  RegistryHive& Load();
  void KeepDamagedCopy(File& damaged);
  static constexpr int kMaxDamagedCopies = 100;
  bool Save(const RegistryHive& hive);

  std::string path_;
  DamageReport onDamaged_;
  std::mutex mutex_;
  std::optional<RegistryHive> hive_;
  std::optional<FileIdentity> loadedFrom_;  // nullopt: the file did not exist
  bool damageReported_ = false;
  bool damagedFileUnsaved_ = false;  // a damaged file we could not copy is never overwritten
};
