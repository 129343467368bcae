#pragma once
// Capture files written from the public descriptions of their formats (the SuperCard Pro image
// specification, the KryoFlux stream protocol), independently of the readers under test.

#include <cstdint>
#include <string>
#include <vector>

#include "flux/FluxTrack.h"
#include "support/FluxSynthesis.h"

// An .scp file, tracks added one at a time (the offsets table is written at the end).
class ScpFileWriter {
 public:
  ScpFileWriter(std::string path, int revolutions);
  void AddTrack(const TrackPlace& place, const TrackFlux& flux);
  // The whole file's bytes, as Save would write them.
  std::vector<uint8_t> Bytes() const;
  void Save() const;

 private:
  std::string path_;
  int revolutions_;
  std::vector<uint8_t> bytes_;
};

// A KryoFlux stream of one track: the device information, flux blocks of every kind, index and stream
// information blocks, the stream's end (with the device's result) and the end of file. The first stream
// information block lies at StreamInfoAt, the stream's end 16 bytes before the end.
std::vector<uint8_t> KryoFluxStreamBytes(const TrackFlux& flux, uint32_t endResult = 0);
std::size_t StreamInfoAt(const std::vector<uint8_t>& stream);

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);
std::vector<uint8_t> ReadBytes(const std::string& path);

// A capture of image as recipe makes it: an .scp file, or stream files <prefix>NN.H.raw.
void WriteScpCapture(const std::string& path, const std::vector<uint8_t>& image, const CaptureRecipe& recipe);
void WriteKryoFluxCapture(const std::string& prefix, const std::vector<uint8_t>& image, const CaptureRecipe& recipe);
// The name of one file of such a set.
std::string KryoFluxFileName(const std::string& prefix, const TrackPlace& place);
