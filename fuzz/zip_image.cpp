// The zip reader on arbitrary archives, and the whole source path (ImageSourcePath.h) on those that begin
// like one, written as .imz files. An archive that is accepted must have unpacked to no more than the limit,
// and one that is refused must leave nothing behind.
#include <vector>

#include "ImageSourcePath.h"
#include "image/forms/ZipImage.h"

namespace {

// Small, so that small inputs reach a stated size beyond it too.
constexpr std::size_t kLimit = 64 * 1024;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  std::vector<uint8_t> out(1, 0);
  ZipUnpack result = UnpackSingleFileZip(data, size, kLimit, out);
  if (result == ZipUnpack::Unpacked ? out.size() > kLimit : !out.empty()) __builtin_trap();
  if (StartsWithZipSignature(data, size)) ReadThroughSourcePath(data, size, "zip", ".imz");
  return 0;
}
