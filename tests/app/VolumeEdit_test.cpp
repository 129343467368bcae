// The files window's changes as the window makes them, without the window: a blank image from the File
// menu, files and folders added, a folder made, entries deleted, and nothing on the image until it is saved;
// images that cannot be changed say why, for the greyed commands' tooltip.

#include <gtest/gtest.h>

#include <map>

#include "app/VolumeEdit.h"
#include "base/File.h"
#include "base/Format.h"
#include "base/Texts.h"
#include "support/FakeMessageBoxes.h"
#include "support/ImageTestSupport.h"

namespace {

class VolumeEditing : public ImageFolder {
 protected:
  // Path -> size of every entry ("/" ends a folder's path).
  static std::map<std::string, uint64_t> Listing(const FatVolume& volume) {
    std::map<std::string, uint64_t> listing;
    for (const FatEntry& entry : volume.Entries()) listing[entry.path] = entry.size;
    return listing;
  }
  int EntryOf(const VolumeEdit& edit, const std::string& path) {
    const std::vector<FatEntry>& entries = edit.Volume().Entries();
    for (std::size_t i = 0; i < entries.size(); ++i) {
      if (entries[i].path == path) return static_cast<int>(i);
    }
    ADD_FAILURE() << path;
    return -1;
  }

  FakeMessageBoxes boxes;
};

TEST_F(VolumeEditing, ChangesReachTheImageOnlyWhenSaved) {
  const std::string image = Path("disk.imz");
  ASSERT_EQ(MakeBlankImage(image, {80, 18}, "lab 1998", {}, boxes), 0);
  WriteWhole(Path("Report 1998.doc"), "report");
  // Through the program's own call: the folder's path is UTF-8, which std::filesystem takes as ANSI on Windows.
  ASSERT_EQ(MakeFolder(Path("Lab data")), FolderMade::Made);
  ASSERT_EQ(MakeFolder(Path("Lab data/raw")), FolderMade::Made);
  WriteWhole(Path("Lab data/raw/run 1.dat"), std::string(5000, 'r'));
  const std::string blank = ReadWhole(image);

  const std::map<std::string, uint64_t> expected{{"Report 1998.doc", 6}, {"Lab data/", 0}, {"Lab data/新建文件夹/", 0}};
  std::string why;
  {
    VolumeEdit edit;
    ASSERT_TRUE(edit.Open(image, &why)) << why;
    EXPECT_EQ(edit.Volume().Label(), "LAB 1998");
    ASSERT_TRUE(edit.Add(-1, {Path("Report 1998.doc"), Path("Lab data")}, boxes));
    ASSERT_TRUE(edit.MakeFolder(EntryOf(edit, "Lab data/"), "新建文件夹", LocalTime{2001, 1, 1, 0, 0, 0}, boxes));
    ASSERT_TRUE(edit.Delete({EntryOf(edit, "Lab data/raw/")}, boxes));
    // Refused: the name is there already (in any case), or FAT cannot hold it; nothing changes.
    boxes.Clear();
    EXPECT_FALSE(edit.Add(-1, {Path("Report 1998.doc")}, boxes));
    EXPECT_FALSE(edit.MakeFolder(EntryOf(edit, "Lab data/"), "新建文件夹", {}, boxes));
    EXPECT_FALSE(edit.MakeFolder(-1, "a:b", {}, boxes));
    EXPECT_EQ(boxes.Ids(), (std::vector<int>{kTextChangeExists, kTextChangeExists, kTextChangeBadName}));
    EXPECT_EQ(Listing(edit.Volume()), expected);
    EXPECT_TRUE(edit.Unsaved());
    EXPECT_TRUE(ReadWhole(image) == blank);

    // Held while it may be changed: another change is refused and says why.
    VolumeEdit other;
    EXPECT_FALSE(other.Open(image, &why));
    EXPECT_EQ(why, FormatText(TextOf(kTextChangeImageBusy), {image}));

    ASSERT_EQ(edit.Save({}, boxes), 0);
    EXPECT_FALSE(edit.Unsaved());
    ImageChange meanwhile;
    EXPECT_EQ(meanwhile.Open(image, boxes), ChangeOpen::Busy);  // still held after the save
  }
  VolumeEdit reopened;
  ASSERT_TRUE(reopened.Open(image, &why)) << why;
  EXPECT_EQ(Listing(reopened.Volume()), expected);
  EXPECT_EQ(reopened.Volume().Label(), "LAB 1998");
}

TEST_F(VolumeEditing, ImagesThatCannotBeChangedSayWhy) {
  ASSERT_EQ(MakeBlankImage(Path("disk.img"), {80, 18}, "", {}, boxes), 0);
  std::string rescued = ReadWhole(Path("disk.img"));
  rescued.replace(2000 * 512, 22, "BAD SECTOR DUMMY BLOCK");
  WriteWhole(Path("rescued.img"), rescued);
  WriteWhole(Path("nofat.img"), std::string(1474560, 'x'));
  const struct {
    const char* image;
    int text;
  } cases[] = {{"rescued.img", kTextChangeImageDamaged}, {"nofat.img", 0}};
  for (const auto& c : cases) {
    VolumeEdit edit;
    std::string why;
    EXPECT_FALSE(edit.Open(Path(c.image), &why));
    if (c.text != 0) {
      EXPECT_EQ(why, FormatText(TextOf(c.text), {Path(c.image), 1}));
    } else {
      EXPECT_EQ(why, FormatText(kTextFilesNoVolume, {Path(c.image)}));
    }
  }
  EXPECT_NE(MakeBlankImage(Path("labelled.img"), {80, 18}, "a*b", {}, boxes), 0);
  EXPECT_FALSE(FileExists(Path("labelled.img")));
}

}  // namespace
