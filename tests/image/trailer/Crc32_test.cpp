#include "image/trailer/Crc32.h"
#include "image/trailer/WrittenCrc.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/ImageTestSupport.h"

namespace {

// Eight bytes at a time inside, one at a time at the ends: every way of cutting the data must agree with
// the bit-by-bit reference.
TEST(Crc32, PiecesOfAnySizeGiveTheSameValue) {
  const std::string data = FloppyBytes(4099, 7);
  const uint32_t expected = ReferenceCrc(data);
  for (std::size_t piece : {1u, 2u, 3u, 7u, 8u, 9u, 15u, 16u, 17u, 512u, 4099u}) {
    Crc32 crc;
    for (std::size_t at = 0; at < data.size(); at += piece) {
      crc.Update(data.data() + at, std::min(piece, data.size() - at));
    }
    EXPECT_EQ(crc.Value(), expected) << piece;
  }
  Crc32 empty;
  empty.Update(nullptr, 0);
  EXPECT_EQ(empty.Value(), 0u);
}

// Zeros counted without being read must give what reading them gives, after any data and at any length.
TEST(Crc32, ZerosCountedAsIfRead) {
  const std::string prefix = FloppyBytes(13, 5);
  for (std::size_t zeros : {0u, 1u, 7u, 8u, 9u, 511u, 4096u, 65537u, 1474560u + 3u}) {
    const std::string file = prefix + std::string(zeros, '\0');
    Crc32 crc;
    crc.Update(prefix.data(), prefix.size());
    crc.UpdateZeros(zeros);
    EXPECT_EQ(crc.Value(), ReferenceCrc(file)) << zeros;
    Crc32 alone;
    alone.UpdateZeros(zeros);
    EXPECT_EQ(alone.Value(), ReferenceCrc(std::string(zeros, '\0'))) << zeros;
  }
}

// A file's checksum from its writes and seeks: a gap left past the end reads as zeros and counts so; a write
// over bytes already written leaves it unknown.
TEST(WrittenCrc, FollowsWritesSeeksAndGaps) {
  const std::string data = FloppyBytes(9000, 3);
  struct Step {
    int64_t seekTo;  // -1: write where the file stands
    std::size_t from, size;
  };
  struct Case {
    const char* name;
    std::vector<Step> steps;
    std::string file;  // what the file then holds; empty when the checksum must be unknown
  } cases[] = {
      {"in order", {{-1, 0, 100}, {-1, 100, 8900}}, data},
      {"gap of zeros", {{-1, 0, 100}, {5000, 5000, 4000}}, data.substr(0, 100) + std::string(4900, '\0') + data.substr(5000)},
      {"leading gap", {{4097, 4097, 1}}, std::string(4097, '\0') + data.substr(4097, 1)},
      {"written over", {{-1, 0, 100}, {50, 50, 10}, {100, 100, 10}}, ""},
  };
  for (const Case& c : cases) {
    WrittenCrc crc;
    for (const Step& step : c.steps) {
      if (step.seekTo >= 0) crc.Moved(step.seekTo);
      crc.Wrote(data.data() + step.from, step.size);
    }
    if (c.file.empty()) {
      EXPECT_FALSE(crc.Value()) << c.name;
      continue;
    }
    EXPECT_EQ(crc.Value(), ReferenceCrc(c.file)) << c.name;
    EXPECT_EQ(crc.Bytes(), c.file.size()) << c.name;
  }
}

}  // namespace
