// ImageDisk and Teledisk files crafted record by record: every record type, interleave, maps, a 40-track disk
// in an 80-track drive, damaged sectors, and files this program must refuse, as the image layer loads,
// checks, converts and writes them.
#include <gtest/gtest.h>

#include <functional>
#include <regex>

#include "base/BadSectorMarker.h"
#include "base/Texts.h"
#include "image/Conversion.h"
#include "image/Integrity.h"
#include "image/RescueMap.h"
#include "image/forms/Td0Decompress.h"
#include "image/forms/Td0Image.h"
#include "support/ArchiveFiles.h"
#include "support/FakeMessageBoxes.h"
#include "support/ImageTestSupport.h"

namespace {

using Tracks = std::vector<CraftedTrack>;

CraftedSector& SectorAt(Tracks& tracks, std::size_t track, uint8_t number) {
  for (CraftedSector& sector : tracks[track].sectors) {
    if (sector.number == number) return sector;
  }
  throw std::logic_error("no such sector");
}

class ArchiveForms : public ImageFolder {
 protected:
  // Loads path as a conversion does: the record, then the raw image with its bad sectors.
  bool Load(const std::string& path, CImageInfo& info, ImageBuffer& buffer) {
    return info.LoadInfo(path, boxes) == 0 && LoadConversionSource(info, buffer, boxes) == 0;
  }

  int Save(const CImageInfo& source, const ImageBuffer& buffer, const std::string& target) {
    CImageInfo to;
    EXPECT_EQ(to.SetTarget(target, boxes), 0);
    SaveOptions options;
    options.suppress = true;
    return SaveImageFile(source, to, buffer, options, boxes);
  }

  std::string LastText() const { return boxes.Boxes().empty() ? std::string() : boxes.Boxes().back().text; }

  FakeMessageBoxes boxes;
};

TEST_F(ArchiveForms, EveryRecordKindLoadsAsThePcFloppyItHolds) {
  struct Case {
    const char* title;
    const char* name;
    FloppyGeometry geometry;
    std::function<std::string(const std::string& raw, std::vector<std::size_t>& bad)> craft;
    std::string description;
  } cases[] = {
      {"ImageDisk 1.44 MB, uniform sectors compressed, a comment of two lines", "a.imd", {80, 18},
       [](const std::string& raw, std::vector<std::size_t>&) {
         return CraftImd(TracksOf(raw, {80, 18}), {.comment = "Archived\r\nin 1990\r\n", .mode = 3});
       },
       "Archived\nin 1990"},
      {"ImageDisk 720 kB, interleaved, maps on every track, nothing compressed", "b.imd", {80, 9},
       [](const std::string& raw, std::vector<std::size_t>&) {
         return CraftImd(TracksOf(raw, {80, 9}, {1, 6, 2, 7, 3, 8, 4, 9, 5}), {.compress = false, .maps = true});
       },
       ""},
      {"ImageDisk 360 kB read in an 80-track drive: tracks on even cylinders, IDs naming half", "c.imd", {40, 9},
       [](const std::string& raw, std::vector<std::size_t>&) { return CraftImd(TracksOf(raw, {40, 9}, {}, 2)); }, ""},
      {"ImageDisk 1.68 MB in its own 2:1 order", "d.imd", {80, 21},
       [](const std::string& raw, std::vector<std::size_t>&) {
         std::vector<uint16_t> ids = FormatSectorIds({80, 21});
         return CraftImd(TracksOf(raw, {80, 21}, std::vector<uint8_t>(ids.begin(), ids.end())), {.mode = 3});
       },
       ""},
      {"ImageDisk: deleted data good; data errors, unavailable and missing sectors bad", "e.imd", {80, 10},
       [](const std::string& raw, std::vector<std::size_t>& bad) {
         // Sectors from 1067 on are free space, uniform: their records are compressed.
         Tracks tracks = TracksOf(raw, {80, 10});
         SectorAt(tracks, 0, 1).kind = CraftedSector::Kind::Deleted;              // type 3
         SectorAt(tracks, 120, 2).kind = CraftedSector::Kind::Deleted;            // type 4
         SectorAt(tracks, 0, 3).kind = CraftedSector::Kind::DataError;            // type 5
         SectorAt(tracks, 130, 4).kind = CraftedSector::Kind::DataError;          // type 6
         SectorAt(tracks, 2, 5).kind = CraftedSector::Kind::DeletedWithError;     // type 7
         SectorAt(tracks, 140, 6).kind = CraftedSector::Kind::DeletedWithError;   // type 8
         SectorAt(tracks, 1, 10).kind = CraftedSector::Kind::Unavailable;         // type 0
         tracks[159].sectors.erase(tracks[159].sectors.begin() + 4);              // sector 5 never found
         bad = {2, 1303, 24, 1405, 19, 1594};
         return CraftImd(tracks);
       },
       ""},
      {"Teledisk, runs, a comment", "f.td0", {80, 15},
       [](const std::string& raw, std::vector<std::size_t>&) {
         return CraftTd0(TracksOf(raw, {80, 15}), {.comment = "Sydex\nTeledisk", .encoding = 2});
       },
       "Sydex\nTeledisk"},
      {"Teledisk advanced compression, repeated patterns where they fit", "g.td0", {80, 18},
       [](const std::string& raw, std::vector<std::size_t>&) {
         return CraftTd0(TracksOf(raw, {80, 18}), {.advanced = true, .encoding = 1});
       },
       ""},
      {"Teledisk advanced, raw sectors: CRC errors and sectors without data bad", "h.td0", {80, 9},
       [](const std::string& raw, std::vector<std::size_t>& bad) {
         Tracks tracks = TracksOf(raw, {80, 9}, {1, 3, 5, 7, 9, 2, 4, 6, 8});
         SectorAt(tracks, 3, 7).kind = CraftedSector::Kind::DataError;
         SectorAt(tracks, 100, 1).kind = CraftedSector::Kind::Unavailable;
         SectorAt(tracks, 100, 2).kind = CraftedSector::Kind::Deleted;
         bad = {3 * 9 + 6, 100 * 9};
         return CraftTd0(tracks, {.advanced = true, .comment = "x", .encoding = 0});
       },
       "x"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    std::string raw = FloppyBytes(static_cast<std::size_t>(c.geometry.TotalBytes()), 11);
    std::vector<std::size_t> badSectors;
    const std::string path = Path(c.name);
    WriteWhole(path, c.craft(raw, badSectors));
    for (std::size_t sector : badSectors) FillBadSectorMarker(reinterpret_cast<uint8_t*>(raw.data()) + sector * kSectorBytes);

    CImageInfo info;
    ImageBuffer buffer;
    ASSERT_TRUE(Load(path, info, buffer)) << LastText();
    EXPECT_EQ(info.Geometry(), c.geometry);
    EXPECT_EQ(info.m_description, c.description);
    EXPECT_EQ(info.m_hasTrailer, 0);
    EXPECT_TRUE(std::string(buffer.bytes.begin(), buffer.bytes.begin() + static_cast<std::ptrdiff_t>(buffer.count)) == raw);
    std::vector<std::size_t> flagged;
    for (std::size_t s = 0; s < buffer.bad.size(); ++s) {
      if (buffer.bad[s]) flagged.push_back(s);
    }
    std::sort(badSectors.begin(), badSectors.end());
    EXPECT_EQ(flagged, badSectors);
    std::string preview;
    EXPECT_EQ(ReadDescriptionOnly(path, preview, boxes),
              c.description.empty() ? DescriptionPreview::Empty : DescriptionPreview::Shown);
    EXPECT_EQ(preview, c.description);

    // Its own check: sound, and whole unless sectors are bad.
    boxes.Clear();
    EXPECT_EQ(CheckIntegrity(info, boxes), badSectors.empty() ? IntegrityResult::Good : IntegrityResult::Bad);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Ids()[0], badSectors.empty() ? (c.name[2] == 'i' ? kTextImdCheckGood : kTextTd0CheckGood)
                                                  : kTextArchiveCheckBadSectors);

    // Into a raw image: the markers in it, the map beside it.
    boxes.Clear();
    const std::string img = Path("out.img");
    ASSERT_EQ(Save(info, buffer, img), badSectors.empty() ? 0 : kSaveWithBadSectors) << LastText();
    EXPECT_TRUE(ReadWhole(img).substr(0, raw.size()) == raw);
    EXPECT_EQ(FileExists(RescueMapPathOf(img)), !badSectors.empty());
    RemoveFile(img);
    RemoveFile(RescueMapPathOf(img));
  }
}

// A rescue written as .imd keeps its bad sectors as unavailable records and its description as the comment;
// read back, it gives the same image and the same map, and the other tools' readers see the same sectors.
TEST_F(ArchiveForms, AnImdWrittenHereReadsBackAsTheImageItWasMadeOf) {
  for (FloppyGeometry geometry : {FloppyGeometry{40, 9}, FloppyGeometry{80, 21}}) {
    SCOPED_TRACE(geometry.sectorsPerTrack);
    std::string raw = FloppyBytes(static_cast<std::size_t>(geometry.TotalBytes()), 2);
    std::vector<bool> bad(static_cast<std::size_t>(geometry.TotalSectors()), false);
    for (std::size_t sector : {0u, 1u, 17u, 600u}) {
      bad[sector] = true;
      FillBadSectorMarker(reinterpret_cast<uint8_t*>(raw.data()) + sector * kSectorBytes);
    }
    const std::string rescue = Path("rescue.img");
    CImageInfo described;
    described.m_description = "救援 1\n第二行";
    WriteWhole(rescue, raw + FormatTrailer(described));
    WriteWhole(RescueMapPathOf(rescue), RescueMapText(FinishedRescue(bad), 1));

    CImageInfo source;
    ImageBuffer buffer;
    ASSERT_TRUE(Load(rescue, source, buffer));
    const std::string imd = Path("rescue.imd");
    ASSERT_EQ(Save(source, buffer, imd), kSaveWithBadSectors) << LastText();
    EXPECT_FALSE(FileExists(RescueMapPathOf(imd)));
    const std::string file = ReadWhole(imd);
    EXPECT_TRUE(std::regex_search(file, std::regex("^IMD 1\\.18: \\d\\d/\\d\\d/\\d{4} \\d\\d:\\d\\d:\\d\\d\r\n")));
    EXPECT_NE(file.find("\xBE\xC8\xD4\xAE 1\r\n\xB5\xDA\xB6\xFE\xD0\xD0\r\n\x1A"), std::string::npos);  // code page 936

    CImageInfo back;
    ImageBuffer again;
    ASSERT_TRUE(Load(imd, back, again));
    EXPECT_EQ(back.m_description, described.m_description);
    EXPECT_EQ(back.Geometry(), geometry);
    EXPECT_TRUE(again.bytes == buffer.bytes);
    EXPECT_EQ(again.bad, bad);
    RemoveFile(imd);
  }
}

TEST_F(ArchiveForms, OnlyWholeFloppiesOfTheSixFormatsAreWrittenAsImd) {
  WriteWhole(Path("odd.img"), FloppyBytes(1474560 + 512, 1));
  CImageInfo source;
  ImageBuffer buffer;
  ASSERT_TRUE(Load(Path("odd.img"), source, buffer));
  EXPECT_EQ(Save(source, buffer, Path("odd.imd")), -1);
  EXPECT_EQ(boxes.Ids().back(), kTextImdNeedsPcFormat);
  EXPECT_EQ(FileNames(), std::vector<std::string>{"odd.img"});
}

TEST_F(ArchiveForms, DisksOfOtherLayoutsAndDamagedFilesAreRefusedSayingWhatWasFound) {
  const std::string raw = FloppyBytes(1474560, 4);
  const std::string plainImd = CraftImd(TracksOf(raw, {80, 18}));
  const std::string plainTd0 = CraftTd0(TracksOf(raw, {80, 18}));
  auto withTrack = [&](const std::function<void(Tracks&)>& change) {
    Tracks tracks = TracksOf(raw, {80, 18});
    change(tracks);
    return tracks;
  };
  auto patched = [](std::string bytes, std::size_t at, char value) {
    bytes[at] = value;
    return bytes;
  };
  const std::size_t firstTrack = plainImd.find('\x1A') + 1;
  const std::string zeros(9 << 20, '\0');
  struct Case {
    const char* title;
    const char* name;
    std::string file;
    int message;
    std::string says;
  } cases[] = {
      {"FM track of 256-byte sectors", "fm.imd", CraftImd(withTrack([](Tracks& t) {
         t[0].fm = true;
         t[0].sectors.resize(16);
         for (CraftedSector& s : t[0].sectors) s.sizeCode = 1, s.data.resize(256);
       })),
       kTextArchiveNotPcFloppy, "第 0 磁轨第 0 面: 16 个 256 字节的扇区，FM"},
      {"8 sectors per track", "eight.imd", CraftImd(TracksOf(raw, {80, 8})), kTextArchiveNotPcFloppy,
       "80 个磁轨，2 面，每磁轨 8 个扇区"},
      {"one side only", "single.td0", CraftTd0([&] {
         Tracks t = TracksOf(raw, {40, 9});
         std::erase_if(t, [](const CraftedTrack& track) { return track.head == 1; });
         return t;
       }()),
       kTextArchiveNotPcFloppy, "40 个磁轨，1 面，每磁轨 9 个扇区"},
      {"IDs naming another cylinder", "ids.imd", CraftImd(withTrack([](Tracks& t) { t[8].sectors[3].cylinder = 9; })),
       kTextArchiveNotPcFloppy, "第 4 磁轨第 0 面: 扇区 4 的标识写的是第 9 磁轨第 0 面"},
      {"a file cut short", "cut.imd", plainImd.substr(0, plainImd.size() / 2), kTextArchiveUnreadable,
       "文件被截断"},
      {"a track claiming more sectors than the file holds", "claims.imd",
       plainImd.substr(0, firstTrack) + std::string("\x03\x00\x00\xFF\x02", 5) + std::string(300, '\x01'),
       kTextArchiveUnreadable, "文件被截断"},
      {"an unknown mode", "mode.imd", patched(plainImd, firstTrack, '\x07'), kTextArchiveUnreadable,
       "第 " + std::to_string(firstTrack) + " 字节处的磁轨记录有未知的模式 7"},
      {"an unknown size code", "size.imd", patched(plainImd, firstTrack + 4, '\x09'), kTextArchiveUnreadable,
       "未知的扇区大小代码 9"},
      {"an unknown record type", "type.imd", patched(plainImd, firstTrack + 5 + 18, '\x09'), kTextArchiveUnreadable,
       "未知的扇区记录类型 9"},
      {"a comment without its end", "comment.imd", "IMD 1.18: 01/01/2000 00:00:00\r\nno end", kTextArchiveUnreadable,
       "注释没有结束标记"},
      {"not ImageDisk at all", "other.imd", raw.substr(0, 4096), kTextArchiveUnreadable, "它不是 ImageDisk 文件"},
      {"a wrong header CRC", "header.td0", patched(plainTd0, 4, '\x16'), kTextArchiveUnreadable, "文件头的 CRC 不符"},
      {"a wrong track header CRC", "track.td0", patched(plainTd0, 12 + 3, '\x00'), kTextArchiveUnreadable,
       "第 0 磁轨第 0 面的磁轨头 CRC 不符"},
      {"a stream unpacking past any floppy", "bomb.td0",
       CraftTd0({}, {.advanced = true}).substr(0, kTd0HeaderBytes) + LzhufCompress(zeros),
       kTextArchiveUnreadable, "数据多于任何软盘"},
      {"Teledisk 1.x compression", "old.td0", CraftTd0(TracksOf(raw, {80, 18}), {.advanced = true, .version = 0x10}),
       kTextArchiveUnreadable, "Teledisk 1.6 的旧式高级压缩"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    boxes.Clear();
    WriteWhole(Path(c.name), c.file);
    CImageInfo info;
    EXPECT_EQ(info.LoadInfo(Path(c.name), boxes), -6);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Ids()[0], c.message);
    EXPECT_NE(LastText().find(c.says), std::string::npos) << LastText();
    std::string preview;
    EXPECT_EQ(ReadDescriptionOnly(Path(c.name), preview, boxes), DescriptionPreview::Unreadable);
    EXPECT_EQ(boxes.Boxes().size(), 1u);  // the preview stays quiet
  }
}

// The save dialog remembers its filter by number; the setting must reach every form it offers.
TEST(ImageForms, TheRememberedSaveFilterCountsEveryWritableForm) {
  EXPECT_EQ(std::count_if(ImageForms().begin(), ImageForms().end(), [](const ImageForm* form) { return form->Writable(); }),
            kSaveFilters);
}

// The stream codec against itself over what makes the adaptive code rebuild (more than 0x8000 symbols),
// long matches, the window's far end and the smallest inputs; the other tools' readers check it apart.
TEST(Lzhuf, EveryStreamUnpacksToWhatWasPacked) {
  std::string longText;
  for (int i = 0; longText.size() < 300000; ++i) longText += "line " + std::to_string(i % 977) + " of the archive\n";
  const std::string inputs[] = {"", "a", std::string(5000, 'x'), FloppyBytes(737280, 9), longText};
  for (const std::string& input : inputs) {
    const std::string packed = LzhufCompress(input);
    std::optional<std::vector<uint8_t>> unpacked =
        Td0Decompress(std::span(reinterpret_cast<const uint8_t*>(packed.data()), packed.size()), input.size() + 64);
    ASSERT_TRUE(unpacked);
    // The last byte's padding may unpack to a few more bytes, which no reader takes.
    EXPECT_TRUE(std::string(unpacked->begin(), unpacked->end()).substr(0, input.size()) == input) << input.size();
  }
}

}  // namespace
