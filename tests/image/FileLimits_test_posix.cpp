// Writes that fail half-way, as on a full disk: the process's file-size limit makes every write beyond it
// fail, so each failure path runs for real and can be checked for what it leaves behind.
#include <signal.h>
#include <sys/resource.h>

#include <gtest/gtest.h>

#include "base/File.h"
#include "base/Texts.h"
#include "image/Conversion.h"
#include "image/DescriptionChange.h"
#include "image/forms/SelfExtractorBuilder.h"
#include "image/trailer/Trailer.h"
#include "support/FakeMessageBoxes.h"
#include "support/ImageTestSupport.h"

namespace {

class FileSizeLimit {
 public:
  explicit FileSizeLimit(uint64_t bytes) {
    ::signal(SIGXFSZ, SIG_IGN);  // a write beyond the limit then fails with EFBIG
    ::getrlimit(RLIMIT_FSIZE, &saved_);
    rlimit limit = saved_;
    limit.rlim_cur = static_cast<rlim_t>(bytes);
    EXPECT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
  }
  ~FileSizeLimit() { ::setrlimit(RLIMIT_FSIZE, &saved_); }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  rlimit saved_{};
};

class FullDisk : public ImageFolder {};

TEST_F(FullDisk, AFailedTrailerIsCutOffAgain) {
  std::string path = Path("data.img");
  const std::string data = FloppyBytes(100000);
  WriteWhole(path, data);
  CImageInfo info;
  info.m_path = path;
  FakeMessageBoxes boxes;
  {
    FileSizeLimit limit(data.size() + 100);
    EXPECT_EQ(info.WriteTrailer(boxes), -2);
  }
  ASSERT_EQ(boxes.Ids(), std::vector<int>{kTextCannotWriteTrailer});
  EXPECT_EQ(boxes.Boxes()[0].text, "不能写入注释块到文件。");
  EXPECT_EQ(ReadWhole(path), data);
}

TEST_F(FullDisk, SavesThatRunOutOfSpaceKeepTheTarget) {
  const std::string raw = FloppyBytes(368640, 13);
  const std::size_t compressed = Bzip2Compress(raw).size();
  std::string program = Path("program.bin");
  const std::size_t stub = WriteProgramFile(program).size();
  struct Case {
    const char* name;
    uint64_t limit;
    int textId;
  } cases[] = {
      {"data.img", 100000, kTextImageWriteFailed},
      {"trailer.img", raw.size() + 10, kTextCannotWriteTrailer},
      {"stream.imz", compressed / 2, kTextImageWriteFailed},
      {"trailer.imz", compressed + 10, kTextCannotWriteTrailer},
      {"stub.exe", stub / 2, kTextImageWriteFailed},
      {"block.exe", stub + compressed + 10, kTextCannotWriteSelfExtractor},
  };
  for (const Case& c : cases) {
    std::string target = Path(c.name);
    WriteWhole(target, "precious");
    std::vector<std::string> before = FileNames();
    SelfExeSettings selfExe;
    selfExe.m_createText.clear();
    SaveOptions options;
    options.write.programPath = program;
    options.write.selfExe = &selfExe;
    CImageInfo source, to;
    FakeMessageBoxes boxes;
    ASSERT_EQ(to.SetTarget(target, boxes), 0);
    ImageBuffer buffer{std::vector<uint8_t>(raw.begin(), raw.end()), raw.size(), {}};
    int result;
    {
      FileSizeLimit limit(c.limit);
      result = SaveImageFile(source, to, buffer, options, boxes);
    }
    EXPECT_EQ(result, -1) << c.name;
    EXPECT_EQ(boxes.Ids(), std::vector<int>{c.textId}) << c.name;
    EXPECT_EQ(ReadWhole(target), "precious") << c.name;
    EXPECT_EQ(FileNames(), before) << c.name;
  }
}

TEST_F(FullDisk, SelfExtractorItemsThatCannotBeAppended) {
  std::string picture = Path("picture.bmp");
  WriteWhole(picture, "BM" + FloppyBytes(30000, 14));
  const std::string licence = "licence text";
  const std::string steps = "steps to follow";
  const std::size_t start = 5000;
  struct Case {
    const char* name;
    bool withPicture;
    uint64_t limit;
    int result;
    int textId;
    std::string text;
  } cases[] = {
      {"picture", true, start + 50, -3, kTextImageWriteFailed, "写入映像文件失败。"},
      {"licence", false, start + 3, -4, kTextCannotWriteSelfExtractor, "不能写入到自解压文件(错误: 0)。"},
      {"instructions", false, start + licence.size() + 3, -5, kTextCannotWriteSelfExtractor,
       "不能写入到自解压文件(错误: 1)。"},
      {"settings block", false, start + licence.size() + steps.size() + 100, -6, kTextCannotWriteSelfExtractor,
       "不能写入到自解压文件(错误: 2)。"},
  };
  for (const Case& c : cases) {
    std::string path = Path("partial.exe");
    WriteWhole(path, std::string(start, 's'));
    SelfExeSettings settings;
    settings.m_customPicture = c.withPicture ? 1 : 0;
    settings.m_picturePath = picture;
    settings.m_licenseText = licence;
    settings.m_createText = steps;
    FakeMessageBoxes boxes;
    int result;
    {
      FileSizeLimit limit(c.limit);
      File out = File::Open(path, FileMode::Append);
      result = WriteSelfExtractorData(out, settings, boxes);
    }
    EXPECT_EQ(result, c.result) << c.name;
    ASSERT_EQ(boxes.Ids(), std::vector<int>{c.textId}) << c.name;
    EXPECT_EQ(boxes.Boxes()[0].text, c.text) << c.name;
  }
}

TEST_F(FullDisk, AChangedDescriptionThatCannotBeWrittenKeepsTheOldTrailer) {
  std::string path = Path("describe.img");
  std::string raw = FloppyBytes(368640, 15);
  CImageInfo info;
  info.m_description = "old";
  info.m_checksum = ReferenceCrc(raw);
  WriteWhole(path, raw + FormatTrailer(info));
  const std::string before = ReadWhole(path);
  CImageInfo image;
  FakeMessageBoxes boxes;
  ASSERT_EQ(image.LoadInfo(path, boxes), 0);
  for (uint64_t limitBytes : {uint64_t{100000}, uint64_t{raw.size() + 10}}) {
    boxes.Clear();
    int result;
    {
      FileSizeLimit limit(limitBytes);
      result = ChangeDescription(image, "new", boxes);
    }
    EXPECT_EQ(result, -3) << limitBytes;
    EXPECT_EQ(boxes.Ids(), std::vector<int>{kTextCannotWriteTrailer}) << limitBytes;
    EXPECT_EQ(ReadWhole(path), before) << limitBytes;
    EXPECT_EQ(image.m_description, "old");
    EXPECT_EQ(FileNames(), std::vector<std::string>{"describe.img"});
  }
}

}  // namespace
