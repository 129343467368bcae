// The KryoFlux stream parser on arbitrary streams: a stream accepted has indexes in order within its flux, a
// stream refused leaves no flux. Those that begin like one are also opened as the first file of a set and
// decoded (CaptureDecoding.h).
#include <unistd.h>

#include "CaptureDecoding.h"
#include "base/File.h"
#include "flux/KryoFluxSet.h"
#include "flux/KryoFluxStream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  TrackFlux flux;
  const TrackFault fault = ParseKryoFluxStream({data, size}, flux);
  if (fault != TrackFault::None && (!flux.intervals.empty() || !flux.indexes.empty())) __builtin_trap();
  for (std::size_t i = 0; i < flux.indexes.size(); ++i) {
    if (flux.indexes[i] > flux.intervals.size() || (i > 0 && flux.indexes[i] < flux.indexes[i - 1])) __builtin_trap();
  }
  if (!StartsLikeKryoFluxStream({data, size})) return 0;
  const std::string path = "/tmp/diskelle-fuzz-kryoflux-" + std::to_string(::getpid()) + "-track00.0.raw";
  {
    File file = File::Open(path, FileMode::Create);
    if (!file || !file.Write(data, size) || !file.Close()) return 0;
  }
  CaptureOpening opening = OpenKryoFluxSet(path);
  if (opening.capture) DecodeThrough(*opening.capture);
  RemoveFile(path);
  return 0;
}
