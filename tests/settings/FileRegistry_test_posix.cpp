// What only the file hive has to show: its file, damage handling, and two processes sharing it.
#include "settings/FileRegistry.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "base/Win32Codes.h"
#include "settings/RegistryKey.h"
#include "settings/Settings.h"

namespace fs = std::filesystem;

namespace {

class FileHive : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() / ("diskelle-filehive-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    path = (dir / "registry.reg").string();
  }
  void TearDown() override { fs::remove_all(dir); }

  std::string ReadFile(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  void WriteFile(const std::string& file, const std::string& text) { std::ofstream(file, std::ios::binary) << text; }

  fs::path dir;
  std::string path;
};

// "W<writer>V<value>", built by appending: GCC 12 at -O2 and above sees an overlapping copy that cannot
// happen in "W" + std::to_string(w) + ... (a false -Wrestrict).
std::string WriterValueName(int writer, int value) {
  std::string name = "W";
  name += std::to_string(writer);
  name += 'V';
  name += std::to_string(value);
  return name;
}

TEST_F(FileHive, WritesReadableRegedit4WithoutLeftovers) {
  FileRegistry registry(path, nullptr);
  AppSettings app;
  SelfExeSettings selfExe;
  LoadSettings(registry, 5, app, selfExe);
  app.m_fdLetter = "B:";
  StoreSettings(registry, app, {"FDLetter", "Sound"});

  std::string text = ReadFile(path);
  EXPECT_EQ(text,
            "REGEDIT4\n\n"
            "[HKEY_CURRENT_USER\\Software]\n\n"
            "[HKEY_CURRENT_USER\\Software\\Kestrix Software]\n\n"
            "[HKEY_CURRENT_USER\\Software\\Kestrix Software\\Diskelle]\n\n"
            "[HKEY_CURRENT_USER\\Software\\Kestrix Software\\Diskelle\\Settings]\n"
            "\"FDLetter\"=\"B:\"\n"
            "\"Sound\"=dword:00000001\n\n"
            "[HKEY_CURRENT_USER\\Software\\Kestrix Software\\Diskelle\\Settings\\Self-Exe]\n\n");
  for (const auto& entry : fs::directory_iterator(dir)) {
    std::string name = entry.path().filename().string();
    EXPECT_TRUE(name == "registry.reg" || name == "registry.reg.lock") << name;
  }
}

// The lock lies beside the file a save replaces, and never beside what is no regular file.
TEST_F(FileHive, LocksLieBesideRegularFilesOnly) {
  fs::create_directories(dir / "real");
  ASSERT_EQ(::mkfifo((dir / "fifo.reg").c_str(), 0600), 0);
  fs::create_symlink(dir / "real" / "settings.reg", dir / "link.reg");
  fs::create_symlink("/dev/null", dir / "null.reg");
  bool devNullLockBefore = fs::exists("/dev/null.lock");
  struct Case {
    const char* name;
    bool stored;
    std::string lock;  // where the lock file is afterwards ("" none)
  } cases[] = {
      {"fifo.reg", false, ""},
      {"null.reg", false, ""},
      {"link.reg", true, "real/settings.reg.lock"},
  };
  for (const Case& c : cases) {
    FileRegistry registry((dir / c.name).string(), nullptr);
    AppSettings app;
    EXPECT_EQ(StoreSettings(registry, app, {"Sound"}), c.stored) << c.name;
    std::vector<std::string> locks;
    for (const auto& entry : fs::recursive_directory_iterator(dir)) {
      std::string name = fs::relative(entry.path(), dir).string();
      if (name.ends_with(".lock")) locks.push_back(name);
    }
    EXPECT_EQ(locks, c.lock.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.lock}) << c.name;
  }
  EXPECT_EQ(fs::exists("/dev/null.lock"), devNullLockBefore);
}

TEST_F(FileHive, DamagedFileIsKeptReportedOnceAndReadAsEmpty) {
  const std::string damaged = "REGEDIT4\n[HKEY_CURRENT_USER\\Software\ncut off by a crash";
  WriteFile(path, damaged);
  int reports = 0;
  std::string kept;
  FileRegistry registry(path, [&](const std::string&, const std::string& copy) {
    ++reports;
    kept = copy;
  });
  AppSettings app;
  SelfExeSettings selfExe;
  app.m_sound = 0;
  LoadSettings(registry, 5, app, selfExe);
  LoadSettings(registry, 5, app, selfExe);
  EXPECT_EQ(reports, 1);
  EXPECT_EQ(kept, path + ".bad");
  EXPECT_EQ(ReadFile(path + ".bad"), damaged);
  EXPECT_EQ(app.m_sound, 1u);

  StoreSettings(registry, app, {"Sound"});
  EXPECT_EQ(ReadFile(path).rfind("REGEDIT4", 0), 0u);
  EXPECT_EQ(ReadFile(path + ".bad"), damaged);
}

TEST_F(FileHive, DamagedFileThatCannotBeCopiedIsNeverOverwritten) {
  const std::string damaged = "not a hive";
  WriteFile(path, damaged);
  // Folders wherever a copy could go.
  fs::create_directories(path + ".bad/blocker");
  for (int n = 2; n <= 100; ++n) fs::create_directories(path + ".bad." + std::to_string(n));
  std::string kept = "unset";
  FileRegistry registry(path, [&](const std::string&, const std::string& copy) { kept = copy; });
  RegistryKey key(registry);
  EXPECT_NE(key.Create(kHkeyCurrentUser, kSettingsKey), kErrorSuccess);
  EXPECT_EQ(kept, "");
  EXPECT_EQ(ReadFile(path), damaged);
}

TEST_F(FileHive, ChangesOfAnotherProcessAreSeenAndKept) {
  FileRegistry mine(path, nullptr);
  RegistryKey key(mine);
  ASSERT_EQ(key.Create(kHkeyCurrentUser, kSettingsKey), kErrorSuccess);

  constexpr int kWriters = 4;
  constexpr int kValuesEach = 25;
  pid_t children[kWriters];
  for (int w = 0; w < kWriters; ++w) {
    children[w] = ::fork();
    if (children[w] == 0) {
      FileRegistry theirs(path, nullptr);
      RegistryKey child(theirs);
      int failures = child.Create(kHkeyCurrentUser, kSettingsKey) == kErrorSuccess ? 0 : 1;
      for (int v = 0; v < kValuesEach; ++v) {
        failures += child.WriteDword(WriterValueName(w, v), static_cast<uint32_t>(v)) != kErrorSuccess;
      }
      child.Close();
      ::_exit(failures);
    }
  }
  for (pid_t child : children) {
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  for (int w = 0; w < kWriters; ++w) {
    for (int v = 0; v < kValuesEach; ++v) {
      uint32_t value = 999;
      EXPECT_EQ(key.ReadDword(WriterValueName(w, v), value, 999), kErrorSuccess);
      EXPECT_EQ(value, static_cast<uint32_t>(v));
    }
  }
  key.Close();
}

TEST_F(FileHive, DefaultPathFollowsTheEnvironment) {
  auto withEnv = [](const char* registry, const char* xdg, const char* home) {
    auto set = [](const char* name, const char* value) {
      if (value) {
        ::setenv(name, value, 1);
      } else {
        ::unsetenv(name);
      }
    };
    set("DISKELLE_REGISTRY", registry);
    set("XDG_CONFIG_HOME", xdg);
    set("HOME", home);
    return FileRegistry::DefaultPath();
  };
  const char* savedHome = std::getenv("HOME");
  std::string home = savedHome ? savedHome : "";
  EXPECT_EQ(withEnv("/tmp/x.reg", "/cfg", "/home/u"), "/tmp/x.reg");
  EXPECT_EQ(withEnv(nullptr, "/cfg", "/home/u"), "/cfg/diskelle/registry.reg");
  EXPECT_EQ(withEnv("", "relative", "/home/u"), "/home/u/.config/diskelle/registry.reg");
  EXPECT_EQ(withEnv(nullptr, nullptr, "/home/u"), "/home/u/.config/diskelle/registry.reg");
  withEnv(nullptr, nullptr, savedHome ? home.c_str() : nullptr);
}

}  // namespace
