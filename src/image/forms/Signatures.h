#pragma once
// The two signatures the program searches files for: the bzip2 stream signature "BZh91AY" (the stream
// header for block size 9 and the start of the first block's magic) and the self-extractor stub's first
// seven bytes ("MZ" and the usual first header words of an executable). The program searches its own file
// for a stub, and the stub searches its own file for the image, so neither may carry the bytes literally:
// they are kept masked and unmasked at run time.

#include <string>

inline constexpr int kBzip2SignatureBytes = 7;
inline constexpr int kStubSignatureBytes = 7;

const std::string& Bzip2Signature();
const std::string& StubSignature();
