#include "support/CaptureFiles.h"

#include <cmath>
#include <cstdio>

#include "base/File.h"

namespace {

constexpr std::size_t kScpTableAt = 0x10, kScpDataAt = 0x2B0;
constexpr double kScpTickNs = 25;
constexpr double kSampleHz = 24027428.5714285;

void Put32(std::vector<uint8_t>& bytes, std::size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + static_cast<std::size_t>(i)] = static_cast<uint8_t>(value >> (8 * i));
}

void Append32(std::vector<uint8_t>& bytes, uint32_t value) {
  bytes.resize(bytes.size() + 4);
  Put32(bytes, bytes.size() - 4, value);
}

void OutOfBand(std::vector<uint8_t>& bytes, uint8_t type, const std::vector<uint8_t>& data) {
  bytes.insert(bytes.end(), {0x0D, type, static_cast<uint8_t>(data.size()), static_cast<uint8_t>(data.size() >> 8)});
  bytes.insert(bytes.end(), data.begin(), data.end());
}

std::vector<uint8_t> Le32s(std::initializer_list<uint32_t> values) {
  std::vector<uint8_t> bytes;
  for (uint32_t value : values) Append32(bytes, value);
  return bytes;
}

}  // namespace

ScpFileWriter::ScpFileWriter(std::string path, int revolutions)
    : path_(std::move(path)), revolutions_(revolutions), bytes_(kScpDataAt, 0) {
  bytes_[0] = 'S';
  bytes_[1] = 'C';
  bytes_[2] = 'P';
  bytes_[3] = 0x22;        // version 2.2
  bytes_[4] = 0x80 | 0x05;  // other: 1.44 MB (readers ignore it)
  bytes_[5] = static_cast<uint8_t>(revolutions);
  bytes_[6] = 0xFF;  // start and end track: set as tracks come
  bytes_[7] = 0;
  bytes_[8] = 0x01;  // flux data begins at the index
}

void ScpFileWriter::AddTrack(const TrackPlace& place, const TrackFlux& flux) {
  const int track = place.cylinder * 2 + place.head;
  bytes_[6] = static_cast<uint8_t>(std::min<int>(bytes_[6], track));
  bytes_[7] = static_cast<uint8_t>(std::max<int>(bytes_[7], track));
  const std::size_t start = bytes_.size();
  Put32(bytes_, kScpTableAt + 4 * static_cast<std::size_t>(track), static_cast<uint32_t>(start));
  bytes_.insert(bytes_.end(), {'T', 'R', 'K', static_cast<uint8_t>(track)});
  const std::size_t table = bytes_.size();
  bytes_.resize(bytes_.size() + 12 * static_cast<std::size_t>(revolutions_), 0);
  for (int revolution = 0; revolution < revolutions_; ++revolution) {
    const std::size_t entry = table + 12 * static_cast<std::size_t>(revolution);
    const std::size_t data = bytes_.size();
    double time = 0;
    uint32_t values = 0;
    const bool present = static_cast<std::size_t>(revolution + 1) < flux.indexes.size();
    for (std::size_t i = present ? flux.indexes[static_cast<std::size_t>(revolution)] : 0;
         present && i < flux.indexes[static_cast<std::size_t>(revolution) + 1]; ++i) {
      time += flux.intervals[i];
      auto ticks = static_cast<uint64_t>(std::llround(flux.intervals[i] / kScpTickNs));
      if (ticks % 0x10000 == 0) ++ticks;  // not expressible exactly: a zero value only carries
      for (; ticks > 0xFFFF; ticks -= 0x10000, ++values) bytes_.insert(bytes_.end(), {0, 0});
      bytes_.insert(bytes_.end(), {static_cast<uint8_t>(ticks >> 8), static_cast<uint8_t>(ticks)});
      ++values;
    }
    Put32(bytes_, entry, static_cast<uint32_t>(std::llround(time / kScpTickNs)));
    Put32(bytes_, entry + 4, values);
    Put32(bytes_, entry + 8, static_cast<uint32_t>(data - start));
  }
}

std::vector<uint8_t> ScpFileWriter::Bytes() const {
  std::vector<uint8_t> bytes = bytes_;
  uint32_t sum = 0;
  for (std::size_t i = kScpTableAt; i < bytes.size(); ++i) sum += bytes[i];
  Put32(bytes, 0x0C, sum);
  return bytes;
}

void ScpFileWriter::Save() const { WriteBytes(path_, Bytes()); }

std::size_t StreamInfoAt(const std::vector<uint8_t>& stream) {
  // Behind the device information and the first index.
  return 4 + (stream[2] | stream[3] << 8) + 16;
}

std::vector<uint8_t> KryoFluxStreamBytes(const TrackFlux& flux, uint32_t endResult) {
  std::vector<uint8_t> bytes;
  const std::string info = "host_date=2024.05.01, host_time=10:00:00, sck=24027428.5714285, ick=3003428.5714285625";
  OutOfBand(bytes, 0x04, std::vector<uint8_t>(info.begin(), info.end() + 1));
  uint32_t position = 0;
  uint32_t indexClock = 0;
  std::size_t nextIndex = 0;
  auto emit = [&](std::initializer_list<uint8_t> block) {
    bytes.insert(bytes.end(), block);
    position += static_cast<uint32_t>(block.size());
  };
  for (std::size_t i = 0; i <= flux.intervals.size(); ++i) {
    while (nextIndex < flux.indexes.size() && flux.indexes[nextIndex] == i) {
      OutOfBand(bytes, 0x02, Le32s({position, 0, indexClock}));
      ++nextIndex;
    }
    if (i == flux.intervals.size()) break;
    if (i % 5000 == 0) {
      OutOfBand(bytes, 0x01, Le32s({position, 7}));
      emit({0x0A, 0x00, 0x00});  // a NOP now and then, as the device's ring buffer makes them
    }
    auto ticks = static_cast<uint64_t>(std::llround(flux.intervals[i] * kSampleHz / 1e9));
    indexClock += static_cast<uint32_t>(ticks / 8);
    for (; ticks > 0xFFFF; ticks -= 0x10000) emit({0x0B});
    if (ticks >= 0x0E && ticks <= 0xFF) {
      emit({static_cast<uint8_t>(ticks)});
    } else if (ticks < 0x800) {
      emit({static_cast<uint8_t>(ticks >> 8), static_cast<uint8_t>(ticks)});
    } else {
      emit({0x0C, static_cast<uint8_t>(ticks >> 8), static_cast<uint8_t>(ticks)});
    }
  }
  OutOfBand(bytes, 0x03, Le32s({position, endResult}));
  bytes.insert(bytes.end(), {0x0D, 0x0D, 0x0D, 0x0D});
  return bytes;
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  File file = File::Open(path, FileMode::Create);
  if (!file || !file.Write(bytes.data(), bytes.size()) || !file.Close()) std::fprintf(stderr, "cannot write %s\n", path.c_str());
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
  File file = File::Open(path, FileMode::Read);
  std::vector<uint8_t> bytes(static_cast<std::size_t>(file ? file.Size().value_or(0) : 0));
  if (file) bytes.resize(file.Read(bytes.data(), bytes.size()));
  return bytes;
}

void WriteScpCapture(const std::string& path, const std::vector<uint8_t>& image, const CaptureRecipe& recipe) {
  ScpFileWriter writer(path, recipe.revolutions);
  SynthesiseCapture(image, recipe, [&](const TrackPlace& place, const TrackFlux& flux) { writer.AddTrack(place, flux); });
  writer.Save();
}

std::string KryoFluxFileName(const std::string& prefix, const TrackPlace& place) {
  char name[16];
  std::snprintf(name, sizeof name, "%02d.%d.raw", place.cylinder, place.head);
  return prefix + name;
}

void WriteKryoFluxCapture(const std::string& prefix, const std::vector<uint8_t>& image, const CaptureRecipe& recipe) {
  SynthesiseCapture(image, recipe, [&](const TrackPlace& place, const TrackFlux& flux) {
    WriteBytes(KryoFluxFileName(prefix, place), KryoFluxStreamBytes(flux));
  });
}
