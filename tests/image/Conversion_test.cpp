// Loading, saving and converting images between the three forms.
#include "image/Conversion.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "base/BadSectorMarker.h"
#include "base/Format.h"
#include "base/Texts.h"
#include "image/RescueMap.h"
#include "image/forms/SelfExtractor.h"
#include "image/trailer/Trailer.h"
#include "support/FakeMessageBoxes.h"
#include "support/ImageTestSupport.h"
#include "support/Waiting.h"

namespace {

const char* Extension(const ImageForm* form) { return form ? form->extensions[0].data() : ".bin"; }

// The raw image inside a file's bytes, taken apart by hand: the stub of an .exe is the test stub, and its
// image stream ends where the first item behind it starts (or the settings block, when there is none).
std::optional<std::string> RawOf(const std::string& file, const ImageForm* form, bool withTrailer) {
  std::string body = withTrailer ? file.substr(0, file.size() - kTrailerBytes) : file;
  if (form == &kRawForm) return body;
  if (form == &kBzip2Form) return Bzip2Decompress(body);
  std::string stub = TestStub();
  if (body.compare(0, stub.size(), stub) != 0) return std::nullopt;
  std::size_t blockAt = body.size() - kSettingsBlockBytes;
  std::optional<SettingsBlock> block = ParseSettingsBlock(body.substr(blockAt));
  if (!block) return std::nullopt;
  std::size_t streamEnd = blockAt;
  for (const ItemOffsets& item : {block->picture, block->licence, block->instructions}) {
    if (item.start != 0) streamEnd = std::min(streamEnd, static_cast<std::size_t>(item.start));
  }
  return Bzip2Decompress(std::string_view(body).substr(stub.size(), streamEnd - stub.size()));
}

class Conversion : public ImageFolder {
 protected:
  void SetUp() override {
    ImageFolder::SetUp();
    program = Path("diskelle-program.bin");
    WriteProgramFile(program);
    options.write.programPath = program;
    options.write.selfExe = &selfExe;
  }

  // Loads source and saves it as target, as the conversion job does. The target record is made as SetTarget
  // makes it but without its early look at the folder: the save must refuse a folder that went meanwhile.
  int Convert(const std::string& source, const std::string& target, FakeMessageBoxes& boxes) {
    CImageInfo from, to;
    to.m_path = target;
    to.m_state = ImageState::Target;
    if (from.LoadInfo(source, boxes) != 0 || to.CheckExtension() == 0) return -10;
    ImageBuffer buffer;
    if (LoadConversionSource(from, buffer, boxes) != 0) return -11;
    return SaveImageFile(from, to, buffer, options, boxes);
  }

  std::string program;
  SelfExeSettings selfExe;
  SaveOptions options;
};

TEST_F(Conversion, EveryFormToEveryFormKeepsTheRawBytesAndTheTrailerFields) {
  const ImageForm* const forms[] = {&kRawForm, &kBzip2Form, &kSelfExtractingForm};
  std::string raw = FloppyBytes(737280, 7);
  std::string trailer = Block(
      "[FileVersion 003] [Description \xD7\xAA\xBB\xBB ] test\x01] [SectorsPerTrack 9] [Tracks 80] [TotalBytes 730112] "
      "[FreeBytes 1024] [Checksum 0x1]");
  for (const ImageForm* from : forms) {
    std::string source = Path(std::string("source") + Extension(from));
    WriteWhole(source, ImageFileBytes(from, raw, trailer));
    for (const ImageForm* to : forms) {
      std::string target = Path(std::string("target") + Extension(from) + Extension(to));
      FakeMessageBoxes boxes;
      ASSERT_EQ(Convert(source, target, boxes), 0) << source << " to " << target;
      EXPECT_TRUE(boxes.Boxes().empty());
      std::string file = ReadWhole(target);
      ASSERT_GT(file.size(), static_cast<std::size_t>(kTrailerBytes));
      EXPECT_EQ(RawOf(file, to, true), raw) << target;
      if (to != &kRawForm) {
        std::size_t streamAt = to == &kSelfExtractingForm ? TestStub().size() : 0;
        EXPECT_EQ(file.compare(streamAt, 7, "BZh91AY"), 0) << target;
      }
      TrailerFields fields = ParseTrailer(reinterpret_cast<const uint8_t*>(file.data() + file.size() - kTrailerBytes));
      EXPECT_EQ(fields.kind, TrailerFields::Kind::Known);
      EXPECT_EQ(fields.description, "\xD7\xAA\xBB\xBB ] test") << target;  // 转换 in code page 936
      EXPECT_EQ(fields.sectorsPerTrack, 9);
      EXPECT_EQ(fields.tracks, 80);
      EXPECT_EQ(fields.totalBytes, 730112);
      EXPECT_EQ(fields.freeBytes, 1024);
      EXPECT_EQ(fields.checksum, ReferenceCrc(std::string_view(file).substr(0, file.size() - kTrailerBytes)));
    }
  }
  // Nothing but the images and the program file: no temporary file stays behind.
  EXPECT_EQ(FileNames().size(), 3u + 9u + 1u);
}

TEST_F(Conversion, AnImageIsConvertedOntoItself) {
  std::string raw = FloppyBytes(368640, 2);
  for (const ImageForm* form : {&kRawForm, &kBzip2Form, &kSelfExtractingForm}) {
    std::string path = Path(std::string("self") + Extension(form));
    WriteWhole(path, ImageFileBytes(form, raw, ""));
    FakeMessageBoxes boxes;
    ASSERT_EQ(Convert(path, path, boxes), 0) << path;
    EXPECT_EQ(RawOf(ReadWhole(path), form, true), raw) << path;
  }
}

TEST_F(Conversion, CompatibleModeAsksBeforeAnImgWithoutTrailer) {
  std::string raw = FloppyBytes(368640, 4);
  std::string source = Path("source.imz");
  WriteWhole(source, ImageFileBytes(&kBzip2Form, raw, Block("[FileVersion 003] [Description d\x01]")));
  struct Case {
    const char* target;
    bool suppress;
    std::vector<MessageAnswer> answers;
    int result;
    std::vector<int> boxes;
    bool trailer;  // else the file is the raw image alone
  } cases[] = {
      {"yes.img", false, {MessageAnswer::Yes}, 0, {kTextCompatibleModeActive}, false},
      {"no.img", false, {MessageAnswer::No}, kSaveDeclined, {kTextCompatibleModeActive}, false},
      {"suppressed.img", true, {}, 0, {}, false},
      {"compressed.imz", false, {}, 0, {}, true},
      {"self.exe", false, {}, 0, {}, true},
  };
  for (const Case& c : cases) {
    std::string target = Path(c.target);
    WriteWhole(target, "precious");
    options.write.compatible = true;
    options.suppress = c.suppress;
    FakeMessageBoxes boxes;
    for (MessageAnswer answer : c.answers) boxes.AnswerNext({answer});
    EXPECT_EQ(Convert(source, target, boxes), c.result) << c.target;
    EXPECT_EQ(boxes.Ids(), c.boxes) << c.target;
    if (!c.boxes.empty()) {
      EXPECT_EQ(boxes.Boxes()[0].icon, MessageIcon::Question);
      EXPECT_EQ(boxes.Boxes()[0].text, "'兼容的 IMG' 模式已激活(禁用描述、磁盘空间信息和完整性验证)。");
    }
    std::string file = ReadWhole(target);
    if (c.result == kSaveDeclined) {
      EXPECT_EQ(file, "precious");
    } else if (c.trailer) {
      EXPECT_EQ(RawOf(file, FormOfPath(target), true), raw) << c.target;
    } else {
      EXPECT_EQ(file, raw) << c.target;
    }
  }
}

TEST_F(Conversion, NoFailureLeavesAFileAndAnExistingTargetSurvives) {
  std::string raw = FloppyBytes(368640, 5);
  std::string source = Path("source.img");
  WriteWhole(source, raw);
  std::string empty = Path("empty.img");  // a trailer and no data
  WriteWhole(empty, Block("[FileVersion 003] [Description \x01]"));
  std::string noStub = Path("no-stub.bin");
  WriteWhole(noStub, std::string(5000, 'P'));
  std::string badStub = Path("bad-stub.bin");
  WriteWhole(badStub, std::string(1500, 'P') + TestStub() + "BZh91AY" + std::string(100, 's'));
  std::string longStub = Path("long-stub.bin");
  WriteWhole(longStub, std::string(1500, 'P') + TestStub() + std::string(0x80000, 's'));
  const char* kNotAStub = "{program} 不是自解压程序 (diskelle-sfx.exe)，不能创建自解压映像文件。\n请用 $DISKELLE_SFX 指定自解压程序文件。";
  std::string folderTarget = Path("folder.imz");
  std::filesystem::create_directories(std::filesystem::u8path(folderTarget + "/inside"));

  struct Case {
    const char* name;
    std::string source;
    std::string target;
    std::string programPath;
    std::string picturePath;  // a custom picture when not empty
    int textId;
    std::string text;  // "{target}" and "{program}" are filled in
  } cases[] = {
      {"folder missing", source, Path("missing/x.imz"), program, "", kTextCannotCreate, "不能创建 {target}。"},
      // Carriers other than the program's own file are stub files, and their messages say so.
      {"no program", source, Path("t1.exe"), Path("missing.bin"), "", 0, FormatText(kTextStubFileMissing, {"{program}"})},
      {"no stub", source, Path("t2.exe"), noStub, "", 0, kNotAStub},
      {"signature in stub", source, Path("t3.exe"), badStub, "", 0, kNotAStub},
      {"stub too long", source, Path("t4.exe"), longStub, "", 0, kNotAStub},
      {"picture missing", source, Path("t5.exe"), program, Path("missing.bmp"), kTextCannotReadBmp,
       "不能读取 BMP 文件。"},
      {"empty image", empty, Path("t6.img"), program, "", kTextCannotComputeCrc,
       "不能获取 CRC32 检验和给 {target}。"},
      {"target is a folder", source, folderTarget, program, "", kTextNotRegularFile, "{target} 不是普通文件，不能替换它。"},
  };
  for (const Case& c : cases) {
    bool folder = c.target == folderTarget;
    if (!folder && c.target.find("missing/") == std::string::npos) WriteWhole(c.target, "precious");
    std::vector<std::string> before = FileNames();
    options.write.programPath = c.programPath;
    selfExe.m_customPicture = c.picturePath.empty() ? 0 : 1;
    selfExe.m_picturePath = c.picturePath;
    FakeMessageBoxes boxes;
    EXPECT_EQ(Convert(c.source, c.target, boxes), -1) << c.name;
    ASSERT_EQ(boxes.Boxes().size(), 1u) << c.name;
    EXPECT_EQ(boxes.Boxes()[0].textId, c.textId) << c.name;
    std::string text = c.text;
    if (std::size_t at = text.find("{target}"); at != std::string::npos) text.replace(at, 8, c.target);
    if (std::size_t at = text.find("{program}"); at != std::string::npos) text.replace(at, 9, c.programPath);
    EXPECT_EQ(boxes.Boxes()[0].text, text) << c.name;
    EXPECT_EQ(boxes.Boxes()[0].icon, MessageIcon::Error) << c.name;
    EXPECT_EQ(FileNames(), before) << c.name;
    if (!folder && c.target.find("missing/") == std::string::npos) {
      EXPECT_EQ(ReadWhole(c.target), "precious") << c.name;
    }
  }
}

// A rescue's raw image keeps which sectors its markers stand for in its map: a conversion carries them only
// where they are kept (a raw image with a map), refuses any other form before writing, and a raw image saved
// whole takes away a map beside it that described an earlier image.
TEST_F(Conversion, BadSectorsOfARescueTravelOnlyWhereTheyAreKept) {
  constexpr std::size_t kSectors = 720;
  std::string raw = FloppyBytes(kSectors * kSectorBytes, 3);
  std::vector<bool> bad(kSectors, false);
  for (std::size_t sector : {3u, 4u, 719u}) {
    bad[sector] = true;
    FillBadSectorMarker(reinterpret_cast<uint8_t*>(raw.data()) + sector * kSectorBytes);
  }
  const std::string rescue = Path("rescue.img");
  WriteWhole(rescue, raw + FormatTrailer(CImageInfo{}));
  const std::string map = RescueMapText(FinishedRescue(bad), 1);
  WriteWhole(RescueMapPathOf(rescue), map);
  const std::string whole = Path("whole.img");
  WriteWhole(whole, raw + FormatTrailer(CImageInfo{}));

  struct Case {
    const char* name;
    std::string source, target;
    int result;
    int message;              // 0: none
    bool mapBesideTarget;     // afterwards
  } cases[] = {
      {"rescue to a raw image", rescue, Path("copy.img"), kSaveWithBadSectors, kTextConvertedWithBadSectors, true},
      {"rescue to bzip2", rescue, Path("copy.imz"), -1, kTextBadSectorsNeedRawForm, false},
      {"rescue to self-extracting", rescue, Path("copy.exe"), -1, kTextBadSectorsNeedRawForm, false},
      {"whole image over an old rescue", whole, Path("old.img"), 0, 0, false},
  };
  WriteWhole(Path("old.img"), "an earlier rescue");
  WriteWhole(RescueMapPathOf(Path("old.img")), map);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeMessageBoxes boxes;
    EXPECT_EQ(Convert(c.source, c.target, boxes), c.result);
    EXPECT_EQ(boxes.Boxes().empty() ? 0 : boxes.Boxes().back().textId, c.message);
    EXPECT_EQ(FileExists(RescueMapPathOf(c.target)), c.mapBesideTarget);
    if (c.result < 0) {
      EXPECT_FALSE(FileExists(c.target));
      continue;
    }
    EXPECT_EQ(ReadWhole(c.target).substr(0, raw.size()), raw);
    if (c.mapBesideTarget) {
      EXPECT_EQ(ReadWhole(RescueMapPathOf(c.target)), map);
    }
  }

  // A map that cannot be read is no reason to pass the markers off as data.
  WriteWhole(RescueMapPathOf(rescue), "not a map");
  FakeMessageBoxes boxes;
  EXPECT_EQ(Convert(rescue, Path("again.img"), boxes), -11);
  EXPECT_FALSE(FileExists(Path("again.img")));
}

TEST_F(Conversion, LoadRefusesWhatIsNoFloppyImageOrCannotBeRead) {
  constexpr std::size_t kLimit = kImageBufferBytes;
  std::string stream = Bzip2Compress(FloppyBytes(368640, 6));
  std::string damaged = stream;
  damaged[damaged.size() / 2] ^= 0x20;
  std::string trailer = Block("[FileVersion 003] [Description d\x01] [SectorsPerTrack 18] [Tracks 80]");
  struct Case {
    const char* name;
    std::string contents;
    int textId;  // 0: loads, with expectedBytes bytes
    std::size_t expectedBytes;
  } cases[] = {
      {"limit.img", FloppyBytes(kLimit) + trailer, 0, kLimit},
      {"limit-no-trailer.img", FloppyBytes(kLimit), 0, kLimit},
      {"above.img", FloppyBytes(kLimit + 1) + trailer, kTextImageLargerThan2MB, 0},
      {"above-no-trailer.img", FloppyBytes(kLimit + 1), kTextImageLargerThan2MB, 0},
      {"limit.imz", Bzip2Compress(FloppyBytes(kLimit)) + trailer, 0, kLimit},
      {"above.imz", Bzip2Compress(FloppyBytes(kLimit + 1)) + trailer, kTextImageLargerThan2MB, 0},
      {"above.exe", ImageFileBytes(&kSelfExtractingForm, FloppyBytes(3 * kLimit), trailer),
       kTextImageLargerThan2MB, 0},
      {"damaged.imz", damaged + trailer, kTextImageReadFailed, 0},
      {"cut.imz", stream.substr(0, stream.size() - 100), kTextImageReadFailed, 0},
      {"empty-stream.imz", Bzip2Compress("") + trailer, 0, 0},
  };
  for (const Case& c : cases) {
    std::string path = Path(c.name);
    WriteWhole(path, c.contents);
    CImageInfo source;
    FakeMessageBoxes boxes;
    source.m_path = path;
    ASSERT_EQ(source.ReadTrailer(), c.contents.size() < 1024u ? -1 : 0) << c.name;
    ImageBuffer buffer;
    EXPECT_EQ(LoadImageFile(source, buffer, boxes), c.textId == 0 ? 0 : -1) << c.name;
    EXPECT_EQ(boxes.Ids(), c.textId == 0 ? std::vector<int>{} : std::vector<int>{c.textId}) << c.name;
    EXPECT_EQ(buffer.count, c.expectedBytes) << c.name;
  }
}

TEST_F(Conversion, JobPostsItsStepsAndReportsTheResult) {
  std::string raw = FloppyBytes(368640, 8);
  std::string source = Path("job.img");
  WriteWhole(source, raw);
  struct Case {
    const char* name;
    std::string sourcePath;
    std::string target;
    bool compatible;
    std::vector<JobStep> steps;
    bool succeeded;
  } cases[] = {
      {"converts", source, Path("job.imz"), false, {JobStep::Loading, JobStep::Saving, JobStep::Ended}, true},
      {"load fails", Path("gone.img"), Path("job2.imz"), false, {JobStep::Loading, JobStep::Ended}, false},
      {"declined", source, Path("job3.img"), true, {JobStep::Loading, JobStep::Saving, JobStep::Ended}, false},
  };
  for (const Case& c : cases) {
    CImageInfo from, to;
    from.m_path = c.sourcePath;
    FakeMessageBoxes boxes;
    ASSERT_EQ(to.SetTarget(c.target, boxes), 0);
    options.write.compatible = c.compatible;
    JobEventQueue events;
    ConversionJob job(from, to, options, boxes);
    job.Start(events);
    std::vector<JobStep> steps;
    for (;;) {
      std::optional<JobEvent> event = events.WaitNextFor(kWaitCeiling);
      ASSERT_TRUE(event) << c.name << ": the conversion never ended";
      EXPECT_EQ(event->job, JobKind::Conversion);
      steps.push_back(event->step);
      if (event->Ends()) break;
    }
    EXPECT_EQ(steps, c.steps) << c.name;
    EXPECT_EQ(job.Succeeded(), c.succeeded) << c.name;
    EXPECT_EQ(FileExists(c.target), c.succeeded) << c.name;
  }
}

}  // namespace
