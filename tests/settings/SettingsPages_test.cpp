// The settings sheet's pages without their windows: what they show, what OK stores and in which order, and
// which check boxes are greyed on which system.
#include "settings/SettingsPages.h"

#include <gtest/gtest.h>

#include "settings/RecordingRegistry.h"
#include "support/CountingShellNotifier.h"

namespace {

const std::string kInstalledProgram = "C:\\程序\\Diskelle.exe";
const std::string kOtherProgram = "C:\\别的\\viewer.exe";

std::vector<std::string> SettingsNamesWritten(const RecordingRegistry& registry) {
  std::vector<std::string> names;
  for (std::size_t i = 0; i < registry.names.size(); ++i) {
    if (registry.written[i] == kSettingsKey) names.push_back(registry.names[i]);
  }
  return names;
}

// What the next start would read.
AppSettings Reloaded(IRegistryBackend& registry) {
  AppSettings stored;
  SelfExeSettings selfExe;
  LoadSettings(registry, 5, stored, selfExe);
  return stored;
}

TEST(SettingsSheetPages, ApplicationPageOkCopiesThenWritesInItsOrder) {
  RecordingRegistry registry;
  AppSettings live;
  live.m_emergency = 1;
  ApplicationPage page(live, registry, kInstalledProgram);
  EXPECT_EQ(page.sound, 1);
  EXPECT_EQ(page.toolTips, 1);
  EXPECT_EQ(page.checkUpdates, 1);
  EXPECT_EQ(page.imgAssociated, 0);
  page.suppress = 1;
  page.sound = 0;
  page.windowFx = 1;
  page.advancedMode = 1;
  page.checkUpdates = 0;
  page.Ok(nullptr);

  EXPECT_EQ(SettingsNamesWritten(registry),
            (std::vector<std::string>{"Sound", "WindowFx", "Suppress", "AdvancedMode", "ToolTips", "CheckUpdates"}));
  EXPECT_EQ(registry.names.size(), 6u) << "no association changed";
  AppSettings stored = Reloaded(registry);
  for (const AppSettings* settings : {&live, &stored}) {
    EXPECT_EQ(settings->m_suppress, 1u);
    EXPECT_EQ(settings->m_sound, 0u);
    EXPECT_EQ(settings->m_windowFx, 1u);
    EXPECT_EQ(settings->m_advancedMode, 1u);
    EXPECT_EQ(settings->m_checkUpdates, 0u);
  }
  EXPECT_EQ(stored.m_emergency, 0u) << "the other page's values are not written";
}

struct AssociationCase {
  const char* name;
  bool imgForeign;  // another program owns .img before the sheet opens
  bool imzOurs;     // .imz is ours before the sheet opens
  int checkImg, checkImz;
  int notifications;
};

TEST(SettingsSheetPages, AssociationsChangeOnlyWhereTheUserChangedThemWithOneNotification) {
  const AssociationCase cases[] = {
      {"take .img over from another program and drop .imz", true, true, 1, 0, 1},
      {"take .img over, .imz unchanged", true, true, 1, 1, 1},
      {"nothing changed", true, true, 0, 1, 0},
      {"register both", false, false, 1, 1, 1},
  };
  for (const AssociationCase& c : cases) {
    SCOPED_TRACE(c.name);
    RecordingRegistry registry;
    if (c.imgForeign) RegisterImg(registry, kOtherProgram);
    if (c.imzOurs) RegisterImz(registry, kInstalledProgram);
    AppSettings live;
    ApplicationPage page(live, registry, kInstalledProgram);
    EXPECT_EQ(page.imgAssociated, 0);
    EXPECT_EQ(page.imzAssociated, c.imzOurs ? 1 : 0);
    page.imgAssociated = c.checkImg;
    page.imzAssociated = c.checkImz;
    CountingShellNotifier shell;
    page.Ok(&shell);
    EXPECT_EQ(shell.count, c.notifications);
    EXPECT_EQ(IsAssociated(registry, ".img", kInstalledProgram), c.checkImg);
    EXPECT_EQ(IsAssociated(registry, ".imz", kInstalledProgram), c.checkImz);
    if (!c.checkImg && c.imgForeign) {
      EXPECT_EQ(IsAssociated(registry, ".img", kOtherProgram), 1) << "left alone";
    }
  }
}

TEST(SettingsSheetPages, DriveLetterShowsBForAnythingButAAndStoresBOrA) {
  const std::tuple<const char*, int, const char*> cases[] = {
      // stored FDLetter, drive B: shown, FDLetter after OK
      {"A:", 0, "A:"}, {"a:", 0, "A:"}, {"B:", 1, "B:"}, {"C:", 1, "B:"}, {"", 1, "B:"}};
  for (const auto& [stored, shown, afterOk] : cases) {
    SCOPED_TRACE(stored);
    RecordingRegistry registry;
    AppSettings live;
    live.m_fdLetter = stored;
    DiskAccessPage page(live, registry, 5);
    EXPECT_EQ(page.driveB, shown);
    page.Ok();
    EXPECT_EQ(live.m_fdLetter, afterOk);
    EXPECT_EQ(Reloaded(registry).m_fdLetter, afterOk);
  }
}

TEST(SettingsSheetPages, DiskAccessPageOkCopiesThenWritesInItsOrder) {
  RecordingRegistry registry;
  AppSettings live;
  DiskAccessPage page(live, registry, 5);
  EXPECT_EQ(page.verifyFormat, 1);
  EXPECT_EQ(page.verifyWrite, 1);
  page.emergency = 1;
  page.compatible = 1;
  page.formatDisk = 0;
  page.recreateBad = 1;  // greyed while formatDisk is off, stored as it stands
  page.verifyWrite = 0;
  EXPECT_EQ(page.retryPasses, 0);
  page.retryPasses = 3;
  page.Ok();
  EXPECT_EQ(SettingsNamesWritten(registry), (std::vector<std::string>{"Emergency", "Compatible", "FDLetter",
                                                                      "FormatDisk", "VerifyFormat", "VerifyWrite",
                                                                      "RecreateBad", "RetryPasses"}));
  AppSettings stored = Reloaded(registry);
  for (const AppSettings* settings : {&live, &stored}) {
    EXPECT_EQ(settings->m_emergency, 1u);
    EXPECT_EQ(settings->m_compatible, 1u);
    EXPECT_EQ(settings->m_recreateBad, 1u);
    EXPECT_EQ(settings->m_verifyFormat, 1u);
    EXPECT_EQ(settings->m_verifyWrite, 0u);
    EXPECT_EQ(settings->m_retryPasses, 3u);
  }
  page.retryPasses = 1000;  // never stored beyond the range
  page.Ok();
  EXPECT_EQ(Reloaded(registry).m_retryPasses, kMaxRetryPasses);
}

TEST(SettingsSheetPages, TheRetryFieldTakesDigitsOnly) {
  const std::pair<const char*, std::optional<int>> cases[] = {
      {"", 0},      {"0", 0},           {"7", 7},           {"099", 99},         {"100", 99},
      {"99999999999999999999", 99},     {"abc", std::nullopt}, {"-1", std::nullopt}, {"3 ", std::nullopt},
      {"\xEF\xBC\x93", std::nullopt},  // a full-width 3
  };
  for (const auto& [text, passes] : cases) EXPECT_EQ(DiskAccessPage::ParseRetryPasses(text), passes) << text;
}

TEST(SettingsSheetPages, FormattingEnablesItsDependentsAndRebuildingNeedsNt) {
  const std::tuple<uint32_t, int, bool, bool> cases[] = {
      // ntMajorVersion (0: Windows 9x), formatDisk, verify format enabled, recreate bad enabled
      {5, 1, true, true}, {5, 0, false, false}, {4, 1, true, true}, {0, 1, true, false}, {0, 0, false, false}};
  for (const auto& [nt, format, verifyEnabled, recreateEnabled] : cases) {
    MemoryRegistry registry;
    AppSettings live;
    DiskAccessPage page(live, registry, nt);
    page.formatDisk = format;
    EXPECT_EQ(page.VerifyFormatEnabled(), verifyEnabled) << nt << " " << format;
    EXPECT_EQ(page.RecreateBadEnabled(), recreateEnabled) << nt << " " << format;
  }
  EXPECT_FALSE(ApplicationPage::FadeAvailable(0));
  EXPECT_FALSE(ApplicationPage::FadeAvailable(4));
  EXPECT_TRUE(ApplicationPage::FadeAvailable(5));
}

}  // namespace
