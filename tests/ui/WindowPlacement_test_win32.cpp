// Remembering a window's position and size in the registry.
#include <gtest/gtest.h>

#include <string>

#include "ModalDriver_win32.h"
#include "TestDialog_win32.h"
#include "settings/HiveRegistry.h"
#include "settings/RegistryKey.h"
#include "win32/RegistryPlacementStore.h"

namespace {

const std::string kKey = "Software\\Diskelle Tests\\Placement";

class PlacementTest : public ::testing::Test {
 protected:
  // The value stored under name, or nullopt.
  std::optional<uint32_t> Stored(const char* name) {
    RegistryKey key(registry_);
    uint32_t value = 0;
    if (key.Open(kHkeyCurrentUser, kKey) != 0) return std::nullopt;
    long result = key.ReadDword(name, value, 0);
    key.Close();
    return result == 0 ? std::optional<uint32_t>(value) : std::nullopt;
  }
  void Store(uint32_t left, uint32_t top, uint32_t width, uint32_t height) {
    RegistryKey key(registry_);
    key.Create(kHkeyCurrentUser, kKey);
    key.WriteDword("HorizPos", left);
    key.WriteDword("VertPos", top);
    key.WriteDword("HorizSize", width);
    key.WriteDword("VertSize", height);
    key.Close();
  }
  // Runs a dialog placed at 200, 150 with 300 x 220, calls act, and returns its window rectangle after.
  RECT Placed(const std::function<void(TestDialog&)>& act) {
    TestDialog dialog(ui_.Context());
    RECT rect{};
    RunModalWith(dialog, nullptr, [&](HWND w) {
      ::SetWindowPos(w, nullptr, 200, 150, 300, 220, SWP_NOZORDER);
      act(dialog);
      rect = WindowRectOf(w);
    });
    return rect;
  }

  UiSettings ui_;
  MemoryRegistry registry_;
  RegistryPlacementStore store_{registry_, kKey};
};

TEST_F(PlacementTest, SavesOnlyWhatIsAsked) {
  Placed([&](TestDialog& d) { d.SaveWindowPlacement(store_, true, false); });
  EXPECT_EQ(Stored("HorizPos"), 200u);
  EXPECT_EQ(Stored("VertPos"), 150u);
  EXPECT_EQ(Stored("HorizSize"), std::nullopt);
  Placed([&](TestDialog& d) { d.SaveWindowPlacement(store_, false, true); });
  EXPECT_EQ(Stored("HorizSize"), 300u);
  EXPECT_EQ(Stored("VertSize"), 220u);
}

struct RestoreCase {
  const char* name;
  uint32_t left, top, width, height;
  bool position, size;
  RECT expected;
};

TEST_F(PlacementTest, RestoresStoredValuesExceptZerosAndPlacesNoMonitorShows) {
  const RestoreCase cases[] = {
      {"position and size", 120, 90, 350, 260, true, true, {120, 90, 470, 350}},
      {"position only", 120, 90, 350, 260, true, false, {120, 90, 420, 310}},
      {"size only", 120, 90, 350, 260, false, true, {200, 150, 550, 410}},
      {"x = 0 means never stored", 0, 90, 350, 260, true, true, {200, 150, 550, 410}},
      {"y = 0 means never stored", 120, 0, 350, 260, true, true, {200, 150, 550, 410}},
      {"width 0 means never stored", 120, 90, 0, 260, true, true, {120, 90, 420, 310}},
      {"far outside every monitor", 30000, 30000, 350, 260, true, false, {200, 150, 500, 370}},
  };
  for (const RestoreCase& c : cases) {
    Store(c.left, c.top, c.width, c.height);
    RECT rect = Placed([&](TestDialog& d) { d.RestoreWindowPlacement(store_, c.position, c.size); });
    EXPECT_TRUE(EqualRect(&rect, &c.expected))
        << c.name << ": " << rect.left << ", " << rect.top << ", " << rect.right << ", " << rect.bottom;
  }
}

TEST_F(PlacementTest, ASavedPlacementComesBackInTheNextRun) {
  Placed([&](TestDialog& d) {
    ::SetWindowPos(d.Window(), nullptr, 77, 66, 333, 244, SWP_NOZORDER);
    d.SaveWindowPlacement(store_, true, true);
  });
  RECT rect = Placed([&](TestDialog& d) { d.RestoreWindowPlacement(store_, true, true); });
  RECT expected{77, 66, 77 + 333, 66 + 244};
  EXPECT_TRUE(EqualRect(&rect, &expected));
}

}  // namespace
