#pragma once
// The bit-by-bit vote over damaged copies of one field. Behind a damaged spot a copy may have slipped a bit
// or two against the others (the data separator lost count in the damage): as the vote goes on, each copy
// is moved to where it agrees again with the others, if it clearly does.

#include <cstdint>
#include <vector>

// copies: the field as read by each, and what each read behind it (of any length); the result has bytes bytes.
std::vector<uint8_t> VoteAligned(const std::vector<const std::vector<uint8_t>*>& copies, std::size_t bytes);
