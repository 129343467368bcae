#include "floppy/FloppyDrives.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "floppy/FloppyFixtures.h"
#include "floppy/nt/AbsentNtSyscalls.h"
#include "floppy/nt/NtFloppyDevice.h"
#include "floppy/virtual/VirtualFloppyFile.h"
#include "support/FakeMessageBoxes.h"

namespace {

EnvironmentLookup EnvironmentOf(std::map<std::string, std::string> values) {
  return [values](const std::string& name) -> std::optional<std::string> {
    auto found = values.find(name);
    if (found == values.end()) return std::nullopt;
    return found->second;
  };
}

// Stands for the system's drives, of which /dev/sdb is one: counts the devices it is asked for.
class CountingFactory : public IFloppyDeviceFactory {
 public:
  explicit CountingFactory(int& created) : created_(created) {}
  std::unique_ptr<IFloppyDevice> Create(const DeviceContext& context) override {
    ++created_;
    return std::make_unique<NtFloppyDevice>(absent_, context);
  }
  bool IsDrive(const std::string& path) const override { return path == "/dev/sdb"; }

 private:
  int& created_;
  AbsentNtSyscalls absent_;
};

struct DriveSelection : ::testing::Test {
  std::filesystem::path dir = std::filesystem::temp_directory_path() / "diskelle-drive-selection";
  AppSettings settings;
  FakeMessageBoxes boxes;
  int systemDevices = 0;

  void SetUp() override {
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
  }
  void TearDown() override { std::filesystem::remove_all(dir); }
  std::string Floppy(const char* name, FloppyGeometry geometry) {
    std::string path = (dir / name).string();
    EXPECT_TRUE(SaveVirtualFloppy(path, NewVirtualFloppy(geometry)));
    return path;
  }
  // The geometry the drive of letter reports, or {0, 0} when it does not open.
  FloppyGeometry Measure(FloppyDrives& drives, const char* letter) {
    settings.m_fdLetter = letter;
    std::unique_ptr<IFloppyDevice> device = drives.Create({settings, 18, boxes});
    FloppyGeometry disk{0, 0};
    if (device->Open(DeviceAccess::Read) == 0) device->GetDiskGeometry(disk);
    return disk;
  }
};

TEST_F(DriveSelection, TheEnvironmentThenTheSettingsNameVirtualFloppiesPerLetter) {
  struct Case {
    std::map<std::string, std::string> environment;
    FloppyGeometry a, b;
    int systemDevices;
    std::string driveANode = {}, driveBNode = {};
  } cases[] = {
      {{}, {0, 0}, {0, 0}, 2},
      {{{"DISKELLE_DRIVE_A", "A720"}}, {80, 9}, {0, 0}, 1},
      {{{"DISKELLE_DRIVE_B", "B360"}}, {0, 0}, {40, 9}, 1},
      {{{"DISKELLE_DRIVE_A", "A720"}, {"DISKELLE_DRIVE_B", "B360"}}, {80, 9}, {40, 9}, 0},
      {{{"DISKELLE_DRIVE_A", ""}}, {0, 0}, {0, 0}, 2},  // set but empty: not a virtual drive
      {{{"diskelle_drive_a", "A720"}}, {0, 0}, {0, 0}, 2},
      {{}, {80, 9}, {40, 9}, 0, "A720", "B360"},
      {{{"DISKELLE_DRIVE_A", "B360"}}, {40, 9}, {0, 0}, 1, "A720"},  // the environment wins
      {{{"DISKELLE_DRIVE_A", ""}}, {80, 9}, {0, 0}, 1, "A720"},
      {{{"DISKELLE_DRIVE_A", "/dev/sdb"}}, {0, 0}, {0, 0}, 2},  // the system's drive, not a file
  };
  std::string a720 = Floppy("a.vfd", {80, 9}), b360 = Floppy("b.vfd", {40, 9});
  for (Case& c : cases) {
    auto resolve = [&](std::string& value) {
      if (value == "A720") value = a720;
      if (value == "B360") value = b360;
    };
    for (auto& [name, value] : c.environment) resolve(value);
    resolve(c.driveANode);
    resolve(c.driveBNode);
    settings.m_driveANode = c.driveANode;
    settings.m_driveBNode = c.driveBNode;
    systemDevices = 0;
    FloppyDrives drives(EnvironmentOf(c.environment), std::make_unique<CountingFactory>(systemDevices));
    EXPECT_EQ(Measure(drives, "A:"), c.a);
    EXPECT_EQ(Measure(drives, "B:"), c.b);
    EXPECT_EQ(systemDevices, c.systemDevices);
  }
}

TEST_F(DriveSelection, TheLetterIsTheFirstCharacterOfTheSettingInAnyCase) {
  FloppyDrives drives(EnvironmentOf({{"DISKELLE_DRIVE_B", Floppy("b.vfd", {80, 18})}}),
                      std::make_unique<CountingFactory>(systemDevices));
  EXPECT_EQ(Measure(drives, "b:"), (FloppyGeometry{80, 18}));
  EXPECT_EQ(systemDevices, 0);
}

TEST_F(DriveSelection, WithoutADriveOpeningFailsNamingIt) {
  struct Case {
    std::map<std::string, std::string> environment;
    const char* letter;
    const char* text;
  } cases[] = {
      {{}, "A:", "不能打开 A:。"},
      {{}, "B:", "不能打开 B:。"},
      // A missing file is no drive, and the message names it.
      {{{"DISKELLE_DRIVE_A", "/nonexistent/a.vfd"}}, "A:", "不能打开 A: (/nonexistent/a.vfd)。"},
  };
  for (const Case& c : cases) {
    boxes.Clear();
    FloppyDrives drives(EnvironmentOf(c.environment),
                        std::make_unique<NtFloppyDeviceFactory>(std::make_unique<AbsentNtSyscalls>()));
    settings.m_fdLetter = c.letter;
    std::unique_ptr<IFloppyDevice> device = drives.Create({settings, 18, boxes});
    EXPECT_EQ(device->Open(DeviceAccess::ReadWrite), -1);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].textId, 107);
    EXPECT_EQ(boxes.Boxes()[0].text, c.text);
    EXPECT_FALSE(device->QueryVolumeSpace().known);
  }
}

TEST_F(DriveSelection, TheFileIsReadAtEveryOpenSoChangesBetweenJobsCount) {
  std::string path = Floppy("a.vfd", {80, 9});
  FloppyDrives drives(EnvironmentOf({{"DISKELLE_DRIVE_A", path}}), std::make_unique<CountingFactory>(systemDevices));
  EXPECT_EQ(Measure(drives, "A:"), (FloppyGeometry{80, 9}));
  ASSERT_TRUE(SaveVirtualFloppy(path, NewVirtualFloppy({80, 18})));
  EXPECT_EQ(Measure(drives, "A:"), (FloppyGeometry{80, 18}));
  EXPECT_EQ(LoadVirtualFloppy(path).floppy->clockNanoseconds, 0);  // a session that only read wrote nothing
}

// On Windows 9x a virtual floppy is reached through VWIN32 too: DOS measures it by its boot sector.
TEST_F(DriveSelection, OnWindows9xVirtualDrivesGoThroughVwin32) {
  EXPECT_EQ(DevicePathFor(0), DevicePath::Windows9x);
  EXPECT_EQ(DevicePathFor(4), DevicePath::Nt);
  std::string blank = Floppy("blank.vfd", {80, 18});
  std::string formatted = (dir / "formatted.vfd").string();
  ASSERT_TRUE(SaveVirtualFloppy(formatted, Measurable(NewVirtualFloppy({80, 9}))));
  FloppyDrives drives(EnvironmentOf({{"DISKELLE_DRIVE_A", formatted}, {"DISKELLE_DRIVE_B", blank}}),
                      std::make_unique<CountingFactory>(systemDevices), DevicePath::Windows9x);
  EXPECT_EQ(Measure(drives, "A:"), (FloppyGeometry{80, 9}));
  EXPECT_TRUE(boxes.Boxes().empty());
  EXPECT_EQ(Measure(drives, "B:"), (FloppyGeometry{0, 0}));
  ASSERT_EQ(boxes.Boxes().size(), 1u);
  EXPECT_EQ(boxes.Boxes()[0].text, "不能确定软盘类型(错误: 0x001A)。");
  EXPECT_EQ(systemDevices, 0);
}

TEST(ProcessEnvironment, ReadsTheVariablesOfThisProcess) {
  EXPECT_TRUE(ProcessEnvironment("PATH").has_value());
  EXPECT_FALSE(ProcessEnvironment("DISKELLE_SURELY_NOT_SET_4711").has_value());
  EXPECT_EQ(VirtualDriveFile(ProcessEnvironment, 'Q'), std::nullopt);
}

}  // namespace
