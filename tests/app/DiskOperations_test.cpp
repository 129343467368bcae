// The checks, messages and confirmations of the read and write operations before any job runs.
#include <gtest/gtest.h>

#include "app/Application.h"
#include "settings/HiveRegistry.h"
#include "support/FakeApplicationFront.h"
#include "support/FakeMessageBoxes.h"

namespace {

// Counts the devices a job asked for; none of the cases here may get that far.
class NoDrives : public IFloppyDeviceFactory {
 public:
  std::unique_ptr<IFloppyDevice> Create(const DeviceContext&) override {
    ++created;
    return nullptr;
  }
  int created = 0;
};

class FixedClock : public IClock {
 public:
  int64_t NowSeconds() override { return 1000; }
};

struct Settings {
  uint32_t suppress = 0, emergency = 0, compatible = 0, formatDisk = 0, recreateBad = 0;
};

struct Fixture {
  explicit Fixture(const Settings& s)
      : services{registry, boxes, drives, clock, PlatformInfo{5, 0, 0}, ""}, application(services, front) {
    application.settings.m_suppress = s.suppress;
    application.settings.m_emergency = s.emergency;
    application.settings.m_compatible = s.compatible;
    application.settings.m_formatDisk = s.formatDisk;
    application.settings.m_recreateBad = s.recreateBad;
  }
  MemoryRegistry registry;
  FakeMessageBoxes boxes;
  NoDrives drives;
  FixedClock clock;
  FakeApplicationFront front;
  ApplicationServices services;
  Application application;
};

struct RefusalCase {
  const char* title;
  const char* path;
  Settings settings;
  std::vector<int> boxes;  // ids, in order
};

TEST(ReadOperation, RefusesBeforeAnyJobRuns) {
  const RefusalCase cases[] = {
      {"drive a: in lower case", "a:\\disk.img", {}, {57671}},
      {"drive B:", "B:disk.imz", {1, 1, 1, 0, 0}, {57671}},  // before anything else, whatever the settings
      {"emergency needs .img", "C:\\x\\disk.IMZ", {0, 1, 0, 0, 0}, {57679}},
      {"emergency .exe, suppressed", "/home/u/disk.exe", {1, 1, 0, 0, 0}, {57679}},
      {"compatible mode says nothing for .imz", "/d/disk.imz", {0, 1, 1, 0, 0}, {57679}},
  };
  for (const RefusalCase& c : cases) {
    Fixture f(c.settings);
    f.application.currentImage.m_path = c.path;
    EXPECT_EQ(f.application.ReadFloppyToImage(), OperationOutcome::Failed) << c.title;
    EXPECT_EQ(f.boxes.Ids(), c.boxes) << c.title;
    EXPECT_EQ(f.drives.created, 0) << c.title;
    EXPECT_EQ(f.front.progressRuns, 0) << c.title;
    for (const RecordedBox& box : f.boxes.Boxes()) EXPECT_EQ(box.icon, MessageIcon::Error) << c.title;
  }
}

TEST(WriteOperation, RefusesOrStopsBeforeAnyJobRuns) {
  const RefusalCase cases[] = {
      {"image on drive A:", "A:\\disk.img", {}, {57672}},
      {"recreation needs .img", "/d/disk.imz", {0, 0, 0, 1, 1}, {57712}},
      {"overwrite question answered No", "/d/disk.imz", {}, {57670}},
      {"recreation info, then the question", "/d/disk.img", {0, 0, 0, 1, 1}, {57713, 57670}},
      {"recreate without format asks only", "/d/disk.img", {0, 0, 0, 0, 1}, {57670}},
  };
  for (const RefusalCase& c : cases) {
    Fixture f(c.settings);
    f.application.currentImage.m_path = c.path;
    EXPECT_EQ(f.application.WriteImageToFloppy(), OperationOutcome::Failed) << c.title;
    EXPECT_EQ(f.boxes.Ids(), c.boxes) << c.title;
    EXPECT_EQ(f.drives.created, 0) << c.title;
    EXPECT_EQ(f.front.progressRuns, 0) << c.title;
  }
  Fixture f({});
  f.application.currentImage.m_path = "/d/disk.img";
  f.application.WriteImageToFloppy();
  ASSERT_EQ(f.boxes.Boxes().size(), 1u);
  EXPECT_EQ(f.boxes.Boxes()[0].icon, MessageIcon::Question);
  EXPECT_EQ(f.boxes.Boxes()[0].text, "该操作将覆写目前正在驱动器中的软盘上的内容。\n您肯定想要这样做吗?");
}

}  // namespace
