// zlib, opened by the first call of the program into it (OnDemandLibrary_posix.h): only the raw inflate
// that zip .imz files of other tools need.
#include <zlib.h>

#include "libraries/OnDemandLibrary_posix.h"

namespace {

enum Function { kInflateInit, kInflate, kInflateEnd, kFunctions };

void* const* Library() {
  static void* slots[kFunctions] = {};
  static const bool opened = OpenOnDemand("libz.so.1", {"inflateInit2_", "inflate", "inflateEnd"}, slots);
  return opened ? slots : nullptr;
}

}  // namespace

int inflateInit2_(z_streamp stream, int windowBits, const char* version, int streamSize) {
  void* const* library = Library();
  if (!library) return Z_VERSION_ERROR;
  return Slot<decltype(&inflateInit2_)>(library[kInflateInit])(stream, windowBits, version, streamSize);
}

int inflate(z_streamp stream, int flush) {
  void* const* library = Library();
  if (!library) return Z_STREAM_ERROR;
  return Slot<decltype(&inflate)>(library[kInflate])(stream, flush);
}

int inflateEnd(z_streamp stream) {
  void* const* library = Library();
  if (!library) return Z_STREAM_ERROR;
  return Slot<decltype(&inflateEnd)>(library[kInflateEnd])(stream);
}
