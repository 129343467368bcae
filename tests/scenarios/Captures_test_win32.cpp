// A flux capture converted by the Windows program as a person starts it: decoded in the progress window,
// reported like an emergency read with what every track gave, saved with its map.
#include <windows.h>

#include <algorithm>
#include <cstring>

#include "Scenario_win32.h"
#include "base/Texts.h"
#include "support/CaptureFiles.h"
#include "support/ImageTestSupport.h"
#include "support/MapfileReader.h"
#include "win32/BadSectorDlgRes.h"

namespace scenario {
namespace {

using Captures = DiskelleScenario;

TEST_F(Captures, ACaptureIsDecodedReportedAndSavedWithItsMap) {
  const FloppyGeometry geometry{80, 18};
  CaptureRecipe recipe;
  recipe.geometry = geometry;
  recipe.cellNs = 1000;
  recipe.jitter = 0.05;
  recipe.cylinders = {0, 1};  // the other cylinders are missing: bad like any unreadable track
  recipe.spoils = {{1, 0, 4, -1, false, 0.5, 0.53, Damage::Dropout}};
  const std::vector<uint8_t> disk = PatternImage(geometry);
  WriteScpCapture(Path("磁通 记录.scp"), disk, recipe);

  robot::Process& process = Start({L"/c", L"/i", WidePath("磁通 记录.scp"), L"/o", WidePath("磁通 记录.img")});
  // The image is saved with what could not be decoded marked, and the report follows.
  HWND saved = WaitForMessageBox(process.Id());
  ASSERT_NE(saved, nullptr) << "the decoding never ended";
  EXPECT_NE(Text(saved, robot::kMessageBoxTextId).find(L"其中有 2809 个坏扇区"), std::wstring::npos)
      << Utf8(Text(saved, robot::kMessageBoxTextId));
  Answer(saved, IDOK);
  HWND report = WaitForCaption(process.Id(), Utf16(kTextReportCaption));
  ASSERT_NE(report, nullptr) << "the report of the decoding never showed";
  ASSERT_TRUE(robot::ClickButton(report, IDC_BAD_ACCOUNT));
  HWND account = WaitForCaption(process.Id(), L"解码记录");
  ASSERT_NE(account, nullptr) << "what decoding saw never showed";
  const std::wstring text = Text(account, IDC_ACCOUNT_TEXT);
  EXPECT_NE(text.find(L"磁轨 01.0: 3 圈，找到 18 个扇区，其中 17 个有完好的副本"), std::wstring::npos) << text;
  ASSERT_TRUE(robot::ClickButton(account, IDOK));
  ASSERT_TRUE(robot::WaitUntilClosed(account, kWaitMs));
  ASSERT_TRUE(robot::ClickButton(report, IDOK));
  EXPECT_EQ(WaitForExit(process), std::optional<DWORD>(1));

  // The spoilt sector and the cylinders never captured are bad in the map; the rest is the disk's.
  std::optional<Mapfile> map = ReadMapfile(ReadWhole(Path("磁通 记录.img.map")));
  ASSERT_TRUE(map);
  const std::vector<int64_t> bad = BadSectorsOfMapfile(*map);
  EXPECT_EQ(bad.size(), static_cast<std::size_t>(geometry.TotalSectors() - 4 * 18 + 1));
  EXPECT_TRUE(std::find(bad.begin(), bad.end(), 39) != bad.end());
  const std::string image = ReadWhole(Path("磁通 记录.img"));
  ASSERT_GE(image.size(), disk.size());
  EXPECT_EQ(std::memcmp(disk.data(), image.data(), 39 * 512), 0) << "the sectors before the spoilt one";
  EXPECT_EQ(image.compare(39 * 512, 22, "BAD SECTOR DUMMY BLOCK"), 0) << "the spoilt one";
}

}  // namespace
}  // namespace scenario
