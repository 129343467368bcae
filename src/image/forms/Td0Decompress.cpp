#include "image/forms/Td0Decompress.h"

#include <algorithm>

namespace {

constexpr uint32_t kRebuildCount = 0x8000;
constexpr uint32_t kBeyondEveryCount = 0xFFFFFFFF;

// The prefix code's length for the upper 6 bits of a distance: short codes for near distances.
constexpr int PrefixBits(int upper) {
  return upper < 1 ? 3 : upper < 4 ? 4 : upper < 12 ? 5 : upper < 24 ? 6 : upper < 48 ? 7 : 8;
}

// What the first 8 bits of a distance say: its upper 6 bits and the prefix code's length.
struct DistanceByByte {
  std::array<uint8_t, 256> upper{};
  std::array<uint8_t, 256> bits{};
};

DistanceByByte MakeDistanceTable() {
  DistanceByByte table;
  for (int upper = 0; upper < 64; ++upper) {
    DistanceCode prefix = DistancePrefix(upper);
    const uint32_t first = prefix.code << (8 - prefix.bits);
    for (uint32_t byte = first; byte < first + (1u << (8 - prefix.bits)); ++byte) {
      table.upper[byte] = static_cast<uint8_t>(upper);
      table.bits[byte] = static_cast<uint8_t>(prefix.bits);
    }
  }
  return table;
}

// The stream's bits, most significant first; a request past its end fails and the stream is over.
class BitReader {
 public:
  explicit BitReader(std::span<const uint8_t> bytes) : bytes_(bytes) {}

  bool Bits(int count, uint32_t& value) {
    while (held_ < count) {
      if (next_ == bytes_.size()) return false;
      buffer_ = buffer_ << 8 | bytes_[next_++];
      held_ += 8;
    }
    held_ -= count;
    value = static_cast<uint32_t>(buffer_ >> held_) & ((1u << count) - 1);
    return true;
  }

 private:
  std::span<const uint8_t> bytes_;
  std::size_t next_ = 0;
  uint64_t buffer_ = 0;
  int held_ = 0;
};

}  // namespace

DistanceCode DistancePrefix(int upperBits) {
  // Canonical: each code follows the previous one's range of first bytes.
  uint32_t firstByte = 0;
  for (int upper = 0; upper < upperBits; ++upper) firstByte += 1u << (8 - PrefixBits(upper));
  const int bits = PrefixBits(upperBits);
  return {bits, firstByte >> (8 - bits)};
}

AdaptiveHuffman::AdaptiveHuffman() {
  for (int symbol = 0; symbol < kLzhufSymbols; ++symbol) {
    frequency_[symbol] = 1;
    son_[symbol] = symbol + kNodes;
    parent_[symbol + kNodes] = symbol;
  }
  for (int node = kLzhufSymbols, child = 0; node < kNodes; ++node, child += 2) {
    frequency_[node] = frequency_[child] + frequency_[child + 1];
    son_[node] = child;
    parent_[child] = parent_[child + 1] = node;
  }
  frequency_[kNodes] = kBeyondEveryCount;
  parent_[kRoot] = -1;
}

int AdaptiveHuffman::Code(int symbol, uint64_t& bits) const {
  bits = 0;
  int length = 0;
  for (int node = parent_[symbol + kNodes]; node != kRoot; node = parent_[node], ++length) {
    bits |= static_cast<uint64_t>(node - son_[parent_[node]]) << length;
  }
  return length;
}

void AdaptiveHuffman::Count(int symbol) {
  if (frequency_[kRoot] == kRebuildCount) Rebuild();
  for (int node = parent_[symbol + kNodes]; node != -1; node = parent_[node]) {
    const uint32_t count = ++frequency_[node];
    if (count <= frequency_[node + 1]) continue;
    // The last node of a smaller count changes places with this one, which keeps the order.
    int swap = node + 1;
    while (count > frequency_[swap + 1]) ++swap;
    frequency_[node] = frequency_[swap];
    frequency_[swap] = count;
    const int mine = son_[node], theirs = son_[swap];
    parent_[mine] = swap;
    if (mine < kNodes) parent_[mine + 1] = swap;
    parent_[theirs] = node;
    if (theirs < kNodes) parent_[theirs + 1] = node;
    son_[swap] = mine;
    son_[node] = theirs;
    node = swap;
  }
}

void AdaptiveHuffman::Rebuild() {
  // The leaves first, in their order, with halved counts.
  int leaves = 0;
  for (int node = 0; node < kNodes; ++node) {
    if (son_[node] < kNodes) continue;
    frequency_[leaves] = (frequency_[node] + 1) / 2;
    son_[leaves] = son_[node];
    ++leaves;
  }
  // Then each pair joined in turn, the new node placed where its count keeps the order.
  for (int node = kLzhufSymbols, child = 0; node < kNodes; ++node, child += 2) {
    const uint32_t count = frequency_[child] + frequency_[child + 1];
    int at = node;
    while (count < frequency_[at - 1]) --at;
    std::copy_backward(frequency_.begin() + at, frequency_.begin() + node, frequency_.begin() + node + 1);
    std::copy_backward(son_.begin() + at, son_.begin() + node, son_.begin() + node + 1);
    frequency_[at] = count;
    son_[at] = child;
  }
  for (int node = 0; node < kNodes; ++node) {
    const int son = son_[node];
    parent_[son] = node;
    if (son < kNodes) parent_[son + 1] = node;
  }
  parent_[kRoot] = -1;
}

std::optional<std::vector<uint8_t>> Td0Decompress(std::span<const uint8_t> stream, std::size_t largest) {
  static const DistanceByByte kDistances = MakeDistanceTable();
  AdaptiveHuffman model;
  BitReader in(stream);
  std::array<uint8_t, kLzhufWindow> window;
  window.fill(' ');
  std::size_t at = kLzhufWindow - kLzhufLongestMatch;
  std::vector<uint8_t> out;
  out.reserve(std::min<std::size_t>(largest, stream.size() * 4));
  auto put = [&](uint8_t byte) {
    out.push_back(byte);
    window[at] = byte;
    at = (at + 1) % kLzhufWindow;
  };
  for (;;) {
    int next = model.Start();
    uint32_t bit = 0;
    while (!model.IsSymbol(next)) {
      if (!in.Bits(1, bit)) return out;
      next = model.Step(next, static_cast<int>(bit));
    }
    const int symbol = next - AdaptiveHuffman::kNodes;
    model.Count(symbol);
    if (symbol < 256) {
      if (out.size() == largest) return std::nullopt;
      put(static_cast<uint8_t>(symbol));
      continue;
    }
    uint32_t first = 0, rest = 0;
    if (!in.Bits(8, first)) return out;
    const int prefixBits = kDistances.bits[first];
    if (!in.Bits(prefixBits - 2, rest)) return out;
    const uint32_t distance = uint32_t{kDistances.upper[first]} << 6 | ((first << (prefixBits - 2) | rest) & 0x3F);
    const std::size_t length = static_cast<std::size_t>(symbol - 256 + kLzhufShortestMatch);
    if (out.size() + length > largest) return std::nullopt;
    std::size_t from = (at + kLzhufWindow - distance - 1) % kLzhufWindow;
    for (std::size_t i = 0; i < length; ++i) put(window[(from + i) % kLzhufWindow]);
  }
}
