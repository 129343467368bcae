// The check a write makes of its image before the disk is touched, in every form, at the size limit.
#include "image/WholeImageCheck.h"

#include <gtest/gtest.h>

#include "image/ImageInfo.h"
#include "image/trailer/Trailer.h"
#include "support/FakeMessageBoxes.h"
#include "support/ImageTestSupport.h"

namespace {

using WholeImageCheck = ImageFolder;

enum class Checksum { None, Right, Wrong };

TEST_F(WholeImageCheck, ReadsTheWholeImageAndComparesItsChecksum) {
  const std::size_t kFloppy = 1474560;
  struct Case {
    const char* name;
    const ImageForm* form;
    std::size_t rawBytes;
    Checksum checksum;
    int textId;  // 0: accepted
  } cases[] = {
      {"disk.img", &kRawForm, kFloppy, Checksum::Right, 0},
      {"bare.img", &kRawForm, kFloppy, Checksum::None, 0},
      {"short.img", &kRawForm, 1000, Checksum::Right, 0},
      {"changed.img", &kRawForm, kFloppy, Checksum::Wrong, 57699},
      {"self.exe", &kSelfExtractingForm, kFloppy, Checksum::Right, 0},
      {"changed.exe", &kSelfExtractingForm, kFloppy, Checksum::Wrong, 57699},
      {"changed.imz", &kBzip2Form, kFloppy, Checksum::Wrong, 57699},
      {"limit.img", &kRawForm, kImageBufferBytes, Checksum::Right, 0},  // the trailer does not count
      {"limit.imz", &kBzip2Form, kImageBufferBytes, Checksum::None, 0},
      {"over.img", &kRawForm, kImageBufferBytes + 1, Checksum::None, 57730},
      {"over.imz", &kBzip2Form, kImageBufferBytes + 1, Checksum::Right, 57730},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string raw = FloppyBytes(c.rawBytes, 5);
    std::string file = ImageFileBytes(c.form, raw, "");
    if (c.checksum != Checksum::None) {
      CImageInfo trailer;
      trailer.m_checksum = ReferenceCrc(file) + (c.checksum == Checksum::Wrong ? 1 : 0);
      file += FormatTrailer(trailer);
    }
    std::string path = Path(c.name);
    WriteWhole(path, file);
    FakeMessageBoxes boxes;
    CImageInfo image;
    ASSERT_EQ(image.LoadInfo(path, boxes), 0);

    std::string seen;
    int result = CheckWholeImage(image, boxes, [&seen](const uint8_t* block) {
      seen.append(reinterpret_cast<const char*>(block), 512);
    });
    EXPECT_EQ(result, c.textId == 0 ? 0 : -1);
    EXPECT_EQ(boxes.Ids(), c.textId == 0 ? std::vector<int>{} : std::vector<int>{c.textId});
    // Every whole block of the raw image passes the visitor in order; a last piece shorter than a block and
    // the trailer do not.
    if (c.textId == 0) {
      EXPECT_EQ(seen, raw.substr(0, raw.size() / 512 * 512));
    }
  }
}

}  // namespace
