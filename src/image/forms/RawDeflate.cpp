#include "image/forms/RawDeflate.h"

#include <zlib.h>

#include <climits>

bool InflateRaw(const uint8_t* in, std::size_t inBytes, uint8_t* out, std::size_t outBytes) {
  // zlib counts in unsigned int; the callers' sizes are far below that, but a size that is not must not wrap.
  if (inBytes > UINT_MAX - 1 || outBytes > UINT_MAX - 1) return false;
  z_stream stream{};
  if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) return false;
  stream.next_in = const_cast<Bytef*>(in);
  stream.avail_in = static_cast<uInt>(inBytes);
  // One byte of room beyond the stated size: a stream that fills it is longer than it says.
  uint8_t beyond = 0;
  stream.next_out = outBytes > 0 ? out : &beyond;
  stream.avail_out = static_cast<uInt>(outBytes);
  int result = outBytes > 0 ? inflate(&stream, Z_FINISH) : Z_BUF_ERROR;
  if (result == Z_BUF_ERROR && stream.avail_out == 0) {
    stream.next_out = &beyond;
    stream.avail_out = 1;
    result = inflate(&stream, Z_FINISH);
  }
  bool whole = result == Z_STREAM_END && stream.total_out == outBytes && stream.avail_in == 0;
  inflateEnd(&stream);
  return whole;
}
