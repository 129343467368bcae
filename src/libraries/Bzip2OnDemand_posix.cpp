// libbz2, opened by the first call of the program into it (OnDemandLibrary_posix.h). Only the functions
// the program calls are here; a library that cannot be opened fails each of them as its own errors do.
#include <bzlib.h>

#include "libraries/OnDemandLibrary_posix.h"

namespace {

enum Function { kReadOpen, kRead, kReadClose, kCompressInit, kCompress, kCompressEnd, kFunctions };

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
  void* const* library = Library();
  if (!library) {
    SetError(error, BZ_CONFIG_ERROR);
    return nullptr;
  }
  return Slot<decltype(&BZ2_bzReadOpen)>(library[kReadOpen])(error, file, verbosity, small, unused, unusedBytes);
}

int BZ2_bzRead(int* error, BZFILE* stream, void* buffer, int bytes) {
  void* const* library = Library();
  if (!library) {
    SetError(error, BZ_CONFIG_ERROR);
    return 0;
  }
  return Slot<decltype(&BZ2_bzRead)>(library[kRead])(error, stream, buffer, bytes);
}

void BZ2_bzReadClose(int* error, BZFILE* stream) {
  void* const* library = Library();
  if (!library) {
    SetError(error, BZ_CONFIG_ERROR);
    return;
  }
  Slot<decltype(&BZ2_bzReadClose)>(library[kReadClose])(error, stream);
}

int BZ2_bzCompressInit(bz_stream* stream, int blockSize100k, int verbosity, int workFactor) {
  void* const* library = Library();
  if (!library) return BZ_CONFIG_ERROR;
  return Slot<decltype(&BZ2_bzCompressInit)>(library[kCompressInit])(stream, blockSize100k, verbosity, workFactor);
}

int BZ2_bzCompress(bz_stream* stream, int action) {
  void* const* library = Library();
  if (!library) return BZ_CONFIG_ERROR;
  return Slot<decltype(&BZ2_bzCompress)>(library[kCompress])(stream, action);
}

int BZ2_bzCompressEnd(bz_stream* stream) {
  void* const* library = Library();
  if (!library) return BZ_CONFIG_ERROR;
  return Slot<decltype(&BZ2_bzCompressEnd)>(library[kCompressEnd])(stream);
}
