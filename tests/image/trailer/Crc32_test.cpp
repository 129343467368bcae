#include "image/trailer/Crc32.h"

#include <gtest/gtest.h>

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

}  // namespace
