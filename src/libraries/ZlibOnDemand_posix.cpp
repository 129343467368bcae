// zlib, opened by the first call of the program into it (OnDemandLibrary_posix.h): only the raw inflate
// that zip .imz files of other tools need.
#include <zlib.h>

#include "libraries/OnDemandLibrary_posix.h"

namespace {

enum Index { kInflateInit, kInflate, kInflateEnd, kFunctions };

void* const* Library() {
  static void* slots[kFunctions] = {};
  static const bool opened = OpenOnDemand("libz.so.1", {"inflateInit2_", "inflate", "inflateEnd"}, slots);
  return opened ? slots : nullptr;
}

}  // namespace

int inflateInit2_(z_streamp stream, int windowBits, const char* version, int streamSize) {
  auto real = SlotFunction<decltype(&inflateInit2_)>(Library(), kInflateInit);
  return real ? real(stream, windowBits, version, streamSize) : Z_VERSION_ERROR;
}

int inflate(z_streamp stream, int flush) {
  auto real = SlotFunction<decltype(&inflate)>(Library(), kInflate);
  return real ? real(stream, flush) : Z_STREAM_ERROR;
}

int inflateEnd(z_streamp stream) {
  auto real = SlotFunction<decltype(&inflateEnd)>(Library(), kInflateEnd);
  return real ? real(stream) : Z_STREAM_ERROR;
}
