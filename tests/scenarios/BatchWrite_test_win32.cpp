// Writing an image to the floppy from the command line ("/w"): the overwrite question decides.
#include "Scenario_win32.h"
#include "base/Texts.h"
#include "floppy/FloppyFixtures.h"
#include "support/ImageTestSupport.h"

namespace scenario {
namespace {

using BatchWrite = DiskelleScenario;

TEST_F(BatchWrite, TheOverwriteQuestionDecidesWhetherTheDiskIsWritten) {
  struct Case {
    int answer;
    DWORD exitCode;
    bool written;
  } cases[] = {{IDNO, 1, false}, {IDYES, 0, true}};
  std::string raw = FloppyBytes(1474560, 11);
  std::string image = MakeImage("写入 盘.img", raw, "要写入的");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.answer == IDYES ? "Yes" : "No");
    InsertFloppy();
    std::string before = FloppyFileBytes();
    robot::Process& process = Start({L"/i", Utf16(image), L"/w"});
    HWND question = WaitForMessageBox(process.Id());
    ASSERT_NE(question, nullptr);
    EXPECT_EQ(Text(question, robot::kMessageBoxTextId), Utf16(TextOf(kTextConfirmOverwriteDisk)));
    Answer(question, c.answer);
    EXPECT_EQ(WaitForExit(process), std::optional<DWORD>(c.exitCode));
    if (c.written) {
      std::vector<uint8_t> disk = SectorsOf(FloppyInDrive(), 0, 2880);
      EXPECT_TRUE(std::string(disk.begin(), disk.end()) == raw) << "the disk does not hold the image";
    } else {
      EXPECT_EQ(FloppyFileBytes(), before) << "answering No must leave the disk untouched";
    }
  }
}

}  // namespace
}  // namespace scenario
