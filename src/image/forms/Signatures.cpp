#include "image/forms/Signatures.h"

#include <cstdint>

namespace {

// Read at run time, so that the compiler cannot fold the unmasked bytes into the program file.
volatile uint8_t signatureMask = 0x5C;

constexpr uint8_t M(uint8_t byte) { return static_cast<uint8_t>(byte ^ 0x5C); }

constexpr uint8_t kBzip2Masked[kBzip2SignatureBytes] = {M('B'), M('Z'), M('h'), M('9'), M('1'), M('A'), M('Y')};
constexpr uint8_t kStubMasked[kStubSignatureBytes] = {M(0x4D), M(0x5A), M(0x90), M(0x00), M(0x03), M(0x00), M(0x00)};

std::string Unmask(const uint8_t* bytes, int count) {
  uint8_t mask = signatureMask;
  std::string text;
  for (int i = 0; i < count; ++i) text += static_cast<char>(bytes[i] ^ mask);
  return text;
}

}  // namespace

const std::string& Bzip2Signature() {
  static const std::string signature = Unmask(kBzip2Masked, kBzip2SignatureBytes);
  return signature;
}

const std::string& StubSignature() {
  static const std::string signature = Unmask(kStubMasked, kStubSignatureBytes);
  return signature;
}
