// The .scp reader on arbitrary files, the decoder on what it accepts (CaptureDecoding.h), and the whole source
// path (ImageSourcePath.h) on files that begin like one.
#include <unistd.h>

#include "CaptureDecoding.h"
#include "ImageSourcePath.h"
#include "flux/ScpCapture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const std::string path = "/tmp/diskelle-fuzz-scp-" + std::to_string(::getpid()) + ".scp";
  {
    File file = File::Open(path, FileMode::Create);
    if (!file || !file.Write(data, size) || !file.Close()) return 0;
  }
  CaptureOpening opening = OpenScpCapture(path);
  if ((opening.fault == CaptureFault::None) != (opening.capture != nullptr)) __builtin_trap();
  if (opening.capture) DecodeThrough(*opening.capture);
  opening.capture.reset();
  RemoveFile(path);
  if (StartsLikeScp({data, size})) ReadThroughSourcePath(data, size, "scp-source", ".scp");
  return 0;
}
