#pragma once
// Every copy of one sector, from all revolutions and captures, and the verdict on them: the sector is good
// when any copy has a good CRC (copies that differ though good are a conflict, said aloud); when none has,
// the copies are voted bit by bit, and the result counts only if its CRC then holds.

#include <cstdint>
#include <vector>

struct SectorVerdict {
  enum class State { Good, Voted, Bad };
  State state = State::Bad;
  std::vector<uint8_t> data;  // the sector's bytes, unless Bad
  bool conflict = false;      // good copies differ: the one seen most often (the first of a tie) is taken
};

class SectorCopies {
 public:
  // field: the data field as read, the sector's bytes and their two CRC bytes; mark: its address mark;
  // following: the bytes read behind it (SectorCopy).
  void Add(uint8_t mark, std::vector<uint8_t> field, bool good, const std::vector<uint8_t>& following = {});
  bool Empty() const { return good_.empty() && damaged_.empty(); }
  SectorVerdict Decide() const;

 private:
  struct Version {
    std::vector<uint8_t> field;
    int seen = 0;
  };
  struct Damaged {
    uint8_t mark = 0;
    std::size_t fieldBytes = 0;
    std::vector<uint8_t> read;  // the field and the bytes behind it
  };
  std::vector<Version> good_;     // distinct good fields, in the order first seen
  bool moreVersions_ = false;     // good fields beyond those kept
  std::vector<Damaged> damaged_;  // kept only while no good copy is known
};
