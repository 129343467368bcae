#pragma once
// A test of the POSIX programs as a user runs them: a fresh folder, a private settings file, virtual floppies
// in the drives. The test program defines DISKELLE_CLI and VFLOPPY, the paths of the built programs.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "support/ImageTestSupport.h"
#include "support/ProgramRunner_posix.h"

class ProgramsTest : public ImageFolder {
 protected:
  void SetUp() override {
    ImageFolder::SetUp();
    env["DISKELLE_REGISTRY"] = Path("settings.reg");
  }

  // Runs program with this test's environment and drives; stdin is empty (no terminal: questions are
  // answered No).
  ProgramRun Exec(const std::string& program, const std::vector<std::string>& arguments,
                  ProgramOptions options = {}) {
    for (const auto& [name, value] : env) options.env.emplace(name, value);
    for (const auto& [name, value] : drives) options.env[name] = value;
    return RunProgram(program, arguments, options);
  }

  ProgramRun Diskelle(const std::vector<std::string>& arguments, ProgramOptions options = {}) {
    return Exec(DISKELLE_CLI, arguments, std::move(options));
  }
  ProgramRun Vfloppy(const std::vector<std::string>& arguments, ProgramOptions options = {}) {
    return Exec(VFLOPPY, arguments, std::move(options));
  }

  std::string NewFloppy(const std::string& name, std::vector<std::string> options) {
    std::string path = Path(name);
    std::vector<std::string> arguments{"create", path};
    arguments.insert(arguments.end(), options.begin(), options.end());
    ProgramRun made = Vfloppy(arguments);
    EXPECT_EQ(made.exitCode, 0) << made.err;
    return path;
  }

  std::string RawOf(const std::string& floppy) {
    std::string raw = Path("dump.bin");
    EXPECT_EQ(Vfloppy({"dump", floppy, raw}).exitCode, 0);
    return ReadWhole(raw);
  }

  void StoreSettings(const std::string& values) {
    WriteWhole(Path("settings.reg"),
               "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Kestrix Software\\Diskelle\\Settings]\n" + values);
  }

  // Temporary files of saves that were left behind anywhere under the test's folder.
  std::vector<std::string> UnfinishedSaves() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir)) {
      if (entry.path().string().find(".~dk") != std::string::npos) names.push_back(entry.path().string());
    }
    return names;
  }

  // Whether a save into target (a name in the test's folder) is under way: its temporary file is there.
  bool Saving(const std::string& target) const {
    for (const std::string& name : UnfinishedSaves()) {
      if (name.find(target + ".~dk") != std::string::npos) return true;
    }
    return false;
  }

  std::map<std::string, std::string> env;
  std::map<std::string, std::string> drives;
};

inline bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }
