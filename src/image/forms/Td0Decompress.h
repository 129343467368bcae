#pragma once
// Teledisk's "advanced compression": everything after the file's header is one LZSS stream (a 4096-byte
// window preset with spaces, matches of 3 to 60 bytes) whose literals and lengths are coded with an adaptive
// Huffman code and whose distances with a fixed prefix code, as in the classic LZHUF. No length precedes
// the stream: it ends with the file.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

inline constexpr int kLzhufWindow = 4096;
inline constexpr int kLzhufLongestMatch = 60;
inline constexpr int kLzhufShortestMatch = 3;
// Literals 0..255, then match lengths 3..60.
inline constexpr int kLzhufSymbols = 256 + kLzhufLongestMatch - kLzhufShortestMatch + 1;

// The adaptive code of the literals and lengths, shared by the decoder and the encoder (which must adapt
// exactly alike). Nodes are kept in order of their counts; the root is the last node.
class AdaptiveHuffman {
 public:
  AdaptiveHuffman();
  static constexpr int kNodes = 2 * kLzhufSymbols - 1;
  static constexpr int kRoot = kNodes - 1;

  // Decoding: Start, then Step with each bit until IsSymbol (the symbol plus kNodes).
  int Start() const { return son_[kRoot]; }
  int Step(int at, int bit) const { return son_[static_cast<std::size_t>(at + bit)]; }
  bool IsSymbol(int at) const { return at >= kNodes; }
  // Encoding: the bits of symbol's code, last bit in bit 0; the number of bits.
  int Code(int symbol, uint64_t& bits) const;
  // Counts symbol once more, keeping the nodes in order; halves every count when the root's reaches 0x8000.
  void Count(int symbol);

 private:
  void Rebuild();

  std::array<uint32_t, kNodes + 1> frequency_{};  // one more: a count no node reaches, ends the searches
  std::array<int, kNodes + kLzhufSymbols> parent_{};  // of nodes, then of the symbols' leaves
  std::array<int, kNodes> son_{};  // a node's first child (the second follows it), or a leaf's symbol + kNodes
};

// The distance code: the upper 6 bits of a 12-bit distance by a fixed prefix code of 3 to 8 bits, then the
// lower 6 bits as they are.
struct DistanceCode {
  int bits;      // the prefix code's length
  uint32_t code;
};
DistanceCode DistancePrefix(int upperBits);

// The bytes the stream unpacks to, or nullopt when they would exceed largest bytes. A stream cut within a
// code ends where the last whole code does.
std::optional<std::vector<uint8_t>> Td0Decompress(std::span<const uint8_t> stream, std::size_t largest);
