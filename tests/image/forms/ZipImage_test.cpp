// Zip .imz files as other imaging tools make them, made here by the zip program itself: loaded, checked,
// converted and refused exactly as the .img inside them would be, and damaged ones refused as unreadable.
#include "image/forms/ZipImage.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "base/File.h"
#include "base/Texts.h"
#include "image/Conversion.h"
#include "image/Integrity.h"
#include "image/DescriptionChange.h"
#include "image/trailer/Trailer.h"
#include "image/WholeImageCheck.h"
#include "support/FakeMessageBoxes.h"
#include "support/ImageTestSupport.h"
#include "support/ZipTool.h"

namespace {

constexpr std::size_t k360KbBytes = 368640;

uint32_t Get32(const std::string& bytes, std::size_t at) {
  return static_cast<uint8_t>(bytes[at]) | static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + 1])) << 8 |
         static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + 2])) << 16 |
         static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + 3])) << 24;
}

void Put16(std::string& bytes, std::size_t at, uint16_t value) {
  bytes[at] = static_cast<char>(value & 0xFF);
  bytes[at + 1] = static_cast<char>(value >> 8);
}

// Where the first central directory entry is: the end record is the last 22 bytes of an archive without
// comment, as the zip program writes it.
std::size_t CentralEntry(const std::string& zip) { return Get32(zip, zip.size() - 22 + 16); }

class ZipImage : public ImageFolder {
 protected:
  // The raw image of a 360 KB disk, with our trailer (description "Zip", geometry and checksum) or without.
  std::string Raw(bool withTrailer) {
    std::string raw = FloppyBytes(k360KbBytes, 5);
    if (!withTrailer) return raw;
    CImageInfo info;
    info.m_description = "Zip";
    info.m_sectorsPerTrack = 9;
    info.m_tracks = 40;
    info.m_checksum = ReferenceCrc(raw);
    return raw + FormatTrailer(info);
  }

  // The zip program's archive of bytes stored as disk.img (in folder "inner" when nested), and of the extra
  // files; returns its path.
  std::string Zip(const std::string& bytes, std::vector<std::string> options, bool nested = false,
                  const std::vector<std::string>& extra = {}) {
    std::string inner = Path("inner");
    std::filesystem::create_directories(std::filesystem::path(std::u8string(inner.begin(), inner.end())));
    std::string member = inner + "/disk.img";
    WriteWhole(member, bytes);
    std::string archive = Path("other.imz");
    RemoveFile(archive);
    if (!nested) options.push_back("-j");
    std::vector<std::string> members{nested ? inner : member};
    members.insert(members.end(), extra.begin(), extra.end());
    EXPECT_TRUE(RunZipTool(options, archive, members)) << "the zip program failed";
    RemoveFile(member);
    return archive;
  }

  FakeMessageBoxes boxes;
};

TEST_F(ZipImage, ArchivesOfTheZipProgramLoadCheckAndConvertAsTheirImage) {
  struct Case {
    const char* title;
    std::vector<std::string> options;
    bool withTrailer, nested;
  } cases[] = {
      {"stored, raw image only", {"-0"}, false, false},
      {"deflated, raw image only", {"-9"}, false, false},
      {"stored, with our trailer", {"-0"}, true, false},
      {"deflated, with our trailer", {"-9"}, true, false},
      {"deflated with a data descriptor", {"-9", "-fd"}, true, false},
      {"deflated beside a folder entry", {"-9", "-r"}, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    std::string raw = Raw(c.withTrailer);
    std::string path = Zip(raw, c.options, c.nested);
    ASSERT_EQ(ReadWhole(path).substr(0, 4), std::string("PK\x03\x04", 4));
    boxes.Clear();

    CImageInfo image;
    ASSERT_EQ(image.LoadInfo(path, boxes), 0);
    EXPECT_EQ(image.m_hasTrailer, c.withTrailer ? 1 : 0);
    EXPECT_EQ(image.Geometry(), (FloppyGeometry{40, 9}));
    EXPECT_EQ(image.m_description, c.withTrailer ? "Zip" : "");
    std::string description;
    EXPECT_EQ(ReadDescriptionOnly(path, description, boxes),
              c.withTrailer ? DescriptionPreview::Shown : DescriptionPreview::NoTrailer);

    EXPECT_EQ(CheckIntegrity(image, boxes), IntegrityResult::Good);  // without ours, by the archive's CRC-32
    std::size_t sectors = 0;
    EXPECT_EQ(CheckWholeImage(image, boxes, [&sectors](const uint8_t*) { ++sectors; }), 0);
    EXPECT_EQ(sectors, k360KbBytes / 512);

    // Converted without a trailer (compatible mode), the .img is the raw image byte for byte.
    ImageBuffer buffer;
    ASSERT_EQ(LoadImageFile(image, buffer, boxes), 0);
    CImageInfo target;
    ASSERT_EQ(target.SetTarget(Path("converted.img"), boxes), 0);
    SaveOptions options;
    options.write.compatible = true;
    options.suppress = true;
    ASSERT_EQ(SaveImageFile(image, target, buffer, options, boxes), 0);
    EXPECT_TRUE(ReadWhole(Path("converted.img")) == raw.substr(0, k360KbBytes));
    // Into our own .imz: bzip2 with a trailer that keeps the description.
    ASSERT_EQ(target.SetTarget(Path("converted.imz"), boxes), 0);
    ASSERT_EQ(SaveImageFile(image, target, buffer, options, boxes), 0);
    CImageInfo ours;
    ASSERT_EQ(ours.LoadInfo(Path("converted.imz"), boxes), 0);
    EXPECT_EQ(ReadWhole(Path("converted.imz")).substr(0, 3), "BZh");
    EXPECT_EQ(ours.m_description, image.m_description);
    EXPECT_EQ(CheckIntegrity(ours, boxes), IntegrityResult::Good);

    std::vector<int> expected = {c.withTrailer ? 57698 : 0, 57698};
    EXPECT_EQ(boxes.Ids(), expected);
  }
}

TEST_F(ZipImage, DamagedOrForeignArchivesAreRefusedAsUnreadable) {
  auto flipCrc = [](std::string& zip) {
    zip[14] = static_cast<char>(zip[14] ^ 0x01);
    zip[CentralEntry(zip) + 16] = static_cast<char>(zip[CentralEntry(zip) + 16] ^ 0x01);
  };
  auto flipData = [](std::string& zip) { zip[40000] = static_cast<char>(zip[40000] ^ 0x40); };
  auto cutInHalf = [](std::string& zip) { zip.resize(zip.size() / 2); };
  auto cutLastByte = [](std::string& zip) { zip.pop_back(); };
  auto method12 = [](std::string& zip) {
    Put16(zip, 8, 12);
    Put16(zip, CentralEntry(zip) + 10, 12);
  };
  auto sizeOneMore = [](std::string& zip) {
    uint32_t size = Get32(zip, 22) + 1;
    for (std::size_t at : {std::size_t{22}, CentralEntry(zip) + 24}) {
      Put16(zip, at, static_cast<uint16_t>(size & 0xFFFF));
      Put16(zip, at + 2, static_cast<uint16_t>(size >> 16));
    }
  };
  auto centralDisagrees = [](std::string& zip) {
    zip[CentralEntry(zip) + 20] = static_cast<char>(zip[CentralEntry(zip) + 20] ^ 0x01);
  };
  auto none = [](std::string&) {};
  struct Case {
    const char* title;
    std::vector<std::string> options;
    std::function<void(std::string&)> damage;
    bool twoFiles;
  } cases[] = {
      {"deflated, CRC changed in both headers", {"-9"}, flipCrc, false},
      {"stored, CRC changed in both headers", {"-0"}, flipCrc, false},
      {"deflated, a data byte changed", {"-9"}, flipData, false},
      {"stored, a data byte changed", {"-0"}, flipData, false},
      {"cut in half", {"-9"}, cutInHalf, false},
      {"last byte cut off", {"-9"}, cutLastByte, false},
      {"method 12 (bzip2)", {"-9"}, method12, false},
      {"unpacked size one byte more in both headers", {"-9"}, sizeOneMore, false},
      {"stored, unpacked size one byte more", {"-0"}, sizeOneMore, false},
      {"packed size differs between the headers", {"-9"}, centralDisagrees, false},
      {"two files", {"-9"}, none, true},
      {"encrypted", {"-9", "-P", "secret"}, none, false},
  };
  std::string raw = Raw(true);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    WriteWhole(Path("second.txt"), "a second file");
    std::string path = Zip(raw, c.options, false, c.twoFiles ? std::vector<std::string>{Path("second.txt")}
                                                              : std::vector<std::string>{});
    std::string bytes = ReadWhole(path);
    c.damage(bytes);
    WriteWhole(path, bytes);
    boxes.Clear();

    CImageInfo image;
    EXPECT_EQ(image.LoadInfo(path, boxes), -6);
    EXPECT_EQ(boxes.Ids(), std::vector<int>{124});
    std::string description;
    EXPECT_EQ(ReadDescriptionOnly(path, description, boxes), DescriptionPreview::Unreadable);
    // A record made before the damage reads nothing either: a disk is never written from such a file.
    image.m_hasTrailer = 1;
    image.m_checksum = ReferenceCrc(raw.substr(0, k360KbBytes));
    ImageBuffer buffer;
    EXPECT_EQ(LoadImageFile(image, buffer, boxes), -1);
    EXPECT_EQ(CheckIntegrity(image, boxes), IntegrityResult::Bad);
  }
}

TEST_F(ZipImage, AnArchiveHoldingMoreThanAnImageIsRefusedAsNoFloppyImage) {
  std::string path = Zip(std::string(kImageBufferBytes + kTrailerBytes + 1, '\0'), {"-9"});
  CImageInfo image;
  EXPECT_EQ(image.LoadInfo(path, boxes), -6);
  EXPECT_EQ(boxes.Ids(), std::vector<int>{57730});
  // One byte less is the largest image with its trailer, and loads.
  path = Zip(std::string(kImageBufferBytes + kTrailerBytes, '\0'), {"-9"});
  boxes.Clear();
  EXPECT_EQ(image.LoadInfo(path, boxes), 0);
  EXPECT_TRUE(boxes.Ids().empty());
}

TEST_F(ZipImage, TheDescriptionOfAnArchiveIsNeverChangedInPlace) {
  std::string path = Zip(Raw(true), {"-9"});
  std::string before = ReadWhole(path);
  CImageInfo image;
  ASSERT_EQ(image.LoadInfo(path, boxes), 0);
  EXPECT_FALSE(DescriptionChangeable(image));
  EXPECT_EQ(ChangeDescription(image, "New", boxes), -1);
  EXPECT_EQ(boxes.Ids(), std::vector<int>{57692});
  EXPECT_TRUE(ReadWhole(path) == before);
  EXPECT_EQ(image.m_description, "Zip");
}

TEST_F(ZipImage, OnlyAnImzIsTakenForAnArchive) {
  // An .img that happens to begin with the signature is a raw image; our own .imz is bzip2.
  std::string raw = "PK\x03\x04" + FloppyBytes(k360KbBytes - 4, 2);
  WriteWhole(Path("raw.img"), raw);
  CImageInfo image;
  ASSERT_EQ(image.LoadInfo(Path("raw.img"), boxes), 0);
  ImageBuffer buffer;
  ASSERT_EQ(LoadImageFile(image, buffer, boxes), 0);
  EXPECT_TRUE(std::string(reinterpret_cast<const char*>(buffer.bytes.data()), buffer.count) == raw);
  EXPECT_FALSE(StartsWithZipSignature(reinterpret_cast<const uint8_t*>("PK\x05\x06"), 4));
  EXPECT_FALSE(StartsWithZipSignature(reinterpret_cast<const uint8_t*>("PK\x03"), 3));
  EXPECT_TRUE(boxes.Ids().empty());
}

}  // namespace
