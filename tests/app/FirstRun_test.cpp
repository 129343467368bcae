// The first start of a new version: one association question per version, the marker written before it.
#include "app/FirstRun.h"

#include <gtest/gtest.h>

#include <optional>

#include "base/Texts.h"
#include "base/Win32Codes.h"
#include "settings/HiveRegistry.h"
#include "settings/RegistryKey.h"
#include "settings/Settings.h"
#include "support/CountingShellNotifier.h"
#include "support/FakeMessageBoxes.h"

namespace {

const std::string kProgram = "C:\\程序\\Diskelle.exe";

// Notes the stored version at the moment the question is on screen.
class MarkerWatchingBoxes : public FakeMessageBoxes {
 public:
  explicit MarkerWatchingBoxes(IRegistryBackend& registry) : registry_(registry) {}
  MessageAnswer Show(int textId, const std::string& text, MessageIcon icon) override {
    markerWhileAsking = ReadLastStartedVersion(registry_);
    return FakeMessageBoxes::Show(textId, text, icon);
  }
  std::optional<std::string> markerWhileAsking;

 private:
  IRegistryBackend& registry_;
};

struct FirstRunCase {
  const char* name;
  std::optional<std::string> storedVersion;  // none: never started before
  MessageAnswer answer;
  bool asks;
  bool associates;
};

class FirstRun : public ::testing::TestWithParam<FirstRunCase> {};

TEST_P(FirstRun, AsksOncePerVersionAndRegistersOnYes) {
  const FirstRunCase& c = GetParam();
  MemoryRegistry registry;
  if (c.storedVersion) WriteLastStartedVersion(registry, *c.storedVersion);
  MarkerWatchingBoxes boxes(registry);
  boxes.AnswerNext({c.answer});
  CountingShellNotifier notifier;

  EXPECT_EQ(FirstRunOfVersion(registry, boxes, kProgram, &notifier), kErrorSuccess);

  EXPECT_EQ(ReadLastStartedVersion(registry), kProgramVersion);
  if (c.asks) {
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].textId, kTextAskAssociate);
    EXPECT_EQ(boxes.Boxes()[0].text, TextOf(kTextAskAssociate));
    EXPECT_EQ(boxes.Boxes()[0].icon, MessageIcon::Question);
    EXPECT_EQ(boxes.markerWhileAsking, std::optional<std::string>(kProgramVersion));
  } else {
    EXPECT_TRUE(boxes.Boxes().empty());
  }
  EXPECT_EQ(IsAssociated(registry, ".img", kProgram), c.associates ? 1 : 0);
  EXPECT_EQ(IsAssociated(registry, ".imz", kProgram), c.associates ? 1 : 0);
  EXPECT_EQ(notifier.count, c.associates ? 1 : 0);
  if (!c.associates) {
    RegistryKey classes(registry);
    EXPECT_NE(classes.Open(kHkeyCurrentUser, kUserClassesKey), kErrorSuccess) << "only the marker is written";
  }
}

INSTANTIATE_TEST_SUITE_P(
    Versions, FirstRun,
    ::testing::Values(FirstRunCase{"NeverStartedYes", std::nullopt, MessageAnswer::Yes, true, true},
                      FirstRunCase{"NeverStartedNo", std::nullopt, MessageAnswer::No, true, false},
                      FirstRunCase{"OlderVersionYes", std::string("2.2.4"), MessageAnswer::Yes, true, true},
                      FirstRunCase{"SameVersion", std::string(kProgramVersion), MessageAnswer::Yes, false, false},
                      FirstRunCase{"VersionComparedExactly", std::string("2.2.5 "), MessageAnswer::No, true,
                                   false}),
    [](const ::testing::TestParamInfo<FirstRunCase>& param) { return std::string(param.param.name); });

// A second start of the same version finds the marker the first one left, whatever the answer was.
TEST(FirstRunAgain, TheNextStartDoesNotAsk) {
  MemoryRegistry registry;
  FakeMessageBoxes boxes;
  for (int start = 0; start < 2; ++start) {
    EXPECT_EQ(FirstRunOfVersion(registry, boxes, kProgram, nullptr), kErrorSuccess);
  }
  EXPECT_EQ(boxes.Ids(), std::vector<int>{kTextAskAssociate});
}

}  // namespace
