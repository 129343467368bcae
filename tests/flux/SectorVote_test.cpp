// The verdict on a sector's copies: a good copy wins, good copies that differ are a conflict, damaged ones are
// voted bit by bit and the vote counts only where its CRC holds.
#include "flux/SectorVote.h"

#include <gtest/gtest.h>

#include "flux/Crc16.h"
#include "flux/SectorCopy.h"

namespace {

// A data field as written: the bytes and their CRC.
std::vector<uint8_t> Field(uint8_t fill) {
  std::vector<uint8_t> field(512, fill);
  for (std::size_t i = 0; i < field.size(); ++i) field[i] = static_cast<uint8_t>(fill + i * 7);
  const uint16_t crc = FieldCrc(kDataMark, field);
  field.push_back(static_cast<uint8_t>(crc >> 8));
  field.push_back(static_cast<uint8_t>(crc));
  return field;
}

std::vector<uint8_t> Spoilt(std::vector<uint8_t> field, std::size_t from, std::size_t to) {
  for (std::size_t i = from; i < to; ++i) field[i] = static_cast<uint8_t>(field[i] ^ (0x5A + i));
  return field;
}

// A copy as read where the data separator lost count at a damaged spot: from bit at on, every bit comes one
// late, the field's last bit among the gap bytes read behind it.
struct Copy {
  std::vector<uint8_t> field;
  bool good;
  std::vector<uint8_t> following = {};
};

Copy Slipped(const std::vector<uint8_t>& field, std::size_t at) {
  std::vector<uint8_t> written = field;
  written.insert(written.end(), {0x4E, 0x4E});
  std::vector<uint8_t> read(written.size(), 0);
  auto bit = [&](std::size_t p) { return written[p / 8] >> (7 - p % 8) & 1; };
  for (std::size_t p = 0; p < written.size() * 8; ++p) {
    const int value = p < at ? bit(p) : p == at ? 1 : bit(p - 1);
    read[p / 8] = static_cast<uint8_t>(read[p / 8] | value << (7 - p % 8));
  }
  const auto end = read.begin() + static_cast<std::ptrdiff_t>(field.size());
  return {{read.begin(), end}, false, {end, read.end()}};
}

}  // namespace

TEST(SectorVote, VerdictsOnCopies) {
  const std::vector<uint8_t> a = Field(1), b = Field(2);
  struct Case {
    const char* name;
    std::vector<Copy> copies;
    SectorVerdict::State state;
    std::vector<uint8_t> data;  // the field the verdict gives (without its CRC), when not Bad
    bool conflict;
  };
  const std::vector<Case> cases = {
      {"one good copy among damaged ones", {{Spoilt(a, 3, 9), false}, {a, true}, {Spoilt(a, 100, 120), false}},
       SectorVerdict::State::Good, a, false},
      {"good copies that differ: the one seen most", {{b, true}, {a, true}, {a, true}}, SectorVerdict::State::Good, a, true},
      {"a tie goes to the first seen", {{b, true}, {a, true}}, SectorVerdict::State::Good, b, true},
      {"three copies spoilt in different places", {{Spoilt(a, 0, 40), false}, {Spoilt(a, 200, 260), false},
                                                   {Spoilt(a, 500, 514), false}},
       SectorVerdict::State::Voted, a, false},
      {"copies that slipped a bit behind their damage",
       {Slipped(Spoilt(a, 30, 40), 40 * 8), Slipped(Spoilt(a, 250, 260), 260 * 8), {Spoilt(a, 480, 490), false}},
       SectorVerdict::State::Voted, a, false},
      {"every copy slipped, each behind its own damage",
       {Slipped(Spoilt(a, 30, 40), 40 * 8), Slipped(Spoilt(a, 250, 260), 260 * 8), Slipped(Spoilt(a, 400, 410), 410 * 8)},
       SectorVerdict::State::Voted, a, false},
      {"two of three spoilt in the same place", {{Spoilt(a, 10, 20), false}, {Spoilt(a, 10, 20), false},
                                                 {Spoilt(a, 300, 310), false}},
       SectorVerdict::State::Bad, {}, false},
      {"two copies cannot outvote each other", {{Spoilt(a, 0, 40), false}, {Spoilt(a, 200, 260), false}},
       SectorVerdict::State::Bad, {}, false},
      {"a short copy is not voted", {{Spoilt(a, 0, 40), false}, {Spoilt(a, 200, 260), false},
                                     {std::vector<uint8_t>(a.begin(), a.begin() + 258), false}},
       SectorVerdict::State::Bad, {}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SectorCopies copies;
    for (const Copy& copy : c.copies) copies.Add(kDataMark, copy.field, copy.good, copy.following);
    SectorVerdict verdict = copies.Decide();
    EXPECT_EQ(verdict.state, c.state);
    EXPECT_EQ(verdict.conflict, c.conflict);
    if (c.state != SectorVerdict::State::Bad) {
      EXPECT_EQ(verdict.data, std::vector<uint8_t>(c.data.begin(), c.data.end() - 2));
    }
  }
}
