// libbz2, opened by the first call of the program into it (OnDemandLibrary_posix.h). Only the functions
// the program calls are here; a library that cannot be opened fails each of them as its own errors do.
#include <bzlib.h>

#include "libraries/OnDemandLibrary_posix.h"

namespace {

enum Index { kReadOpen, kRead, kReadClose, kCompressInit, kCompress, kCompressEnd, kFunctions };

void* const* Library() {
  static void* slots[kFunctions] = {};
  static const bool opened =
      OpenOnDemand("libbz2.so.1.0",
                   {"BZ2_bzReadOpen", "BZ2_bzRead", "BZ2_bzReadClose", "BZ2_bzCompressInit", "BZ2_bzCompress",
                    "BZ2_bzCompressEnd"},
                   slots);
  return opened ? slots : nullptr;
}

void SetError(int* error, int value) {
  if (error) *error = value;
}

}  // namespace

BZFILE* BZ2_bzReadOpen(int* error, FILE* file, int verbosity, int small, void* unused, int unusedBytes) {
  if (auto real = SlotFunction<decltype(&BZ2_bzReadOpen)>(Library(), kReadOpen)) {
    return real(error, file, verbosity, small, unused, unusedBytes);
  }
  SetError(error, BZ_CONFIG_ERROR);
  return nullptr;
}

int BZ2_bzRead(int* error, BZFILE* stream, void* buffer, int bytes) {
  if (auto real = SlotFunction<decltype(&BZ2_bzRead)>(Library(), kRead)) return real(error, stream, buffer, bytes);
  SetError(error, BZ_CONFIG_ERROR);
  return 0;
}

void BZ2_bzReadClose(int* error, BZFILE* stream) {
  if (auto real = SlotFunction<decltype(&BZ2_bzReadClose)>(Library(), kReadClose)) return real(error, stream);
  SetError(error, BZ_CONFIG_ERROR);
}

int BZ2_bzCompressInit(bz_stream* stream, int blockSize100k, int verbosity, int workFactor) {
  auto real = SlotFunction<decltype(&BZ2_bzCompressInit)>(Library(), kCompressInit);
  return real ? real(stream, blockSize100k, verbosity, workFactor) : BZ_CONFIG_ERROR;
}

int BZ2_bzCompress(bz_stream* stream, int action) {
  auto real = SlotFunction<decltype(&BZ2_bzCompress)>(Library(), kCompress);
  return real ? real(stream, action) : BZ_CONFIG_ERROR;
}

int BZ2_bzCompressEnd(bz_stream* stream) {
  auto real = SlotFunction<decltype(&BZ2_bzCompressEnd)>(Library(), kCompressEnd);
  return real ? real(stream) : BZ_CONFIG_ERROR;
}
