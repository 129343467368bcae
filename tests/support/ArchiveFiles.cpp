#include "support/ArchiveFiles.h"

#include <algorithm>
#include <array>

#include "image/forms/Td0Decompress.h"

namespace {

bool Uniform(std::string_view data) {
  return !data.empty() && std::all_of(data.begin(), data.end(), [&](char c) { return c == data[0]; });
}

void PutLe16(std::string& out, unsigned value) {
  out += static_cast<char>(value & 0xFF);
  out += static_cast<char>(value >> 8 & 0xFF);
}

// Teledisk's runs: a repeated word of 4 or more as (1, count, word), the rest as literals (0, length, bytes).
std::string Runs(std::string_view data) {
  std::string out, literal;
  auto flush = [&] {
    for (std::size_t at = 0; at < literal.size(); at += 255) {
      const std::size_t length = std::min<std::size_t>(255, literal.size() - at);
      out += '\0';
      out += static_cast<char>(length);
      out.append(literal, at, length);
    }
    literal.clear();
  };
  for (std::size_t at = 0; at < data.size();) {
    std::size_t words = 1;
    while (at + 2 * words + 1 < data.size() && words < 255 && data.compare(at + 2 * words, 2, data.substr(at, 2)) == 0) {
      ++words;
    }
    if (words >= 4) {
      flush();
      out += '\1';
      out += static_cast<char>(words);
      out.append(data.substr(at, 2));
      at += 2 * words;
    } else {
      literal.append(data.substr(at, 2));
      at += 2;
    }
  }
  flush();
  return out;
}

std::string Td0SectorData(std::string_view data, int encoding) {
  bool pattern = data.size() % 2 == 0;
  for (std::size_t i = 2; pattern && i < data.size(); ++i) pattern = data[i] == data[i % 2];
  std::string block;
  if (encoding == 1 && pattern) {
    block = '\1';
    PutLe16(block, static_cast<unsigned>(data.size() / 2));
    block.append(data.substr(0, 2));
  } else if (encoding == 2) {
    block = '\2' + Runs(data);
  } else {
    block = std::string(1, '\0') + std::string(data);
  }
  std::string out;
  PutLe16(out, static_cast<unsigned>(block.size()));
  return out + block;
}

class BitWriter {
 public:
  void Put(uint64_t bits, int count) {
    for (int bit = count - 1; bit >= 0; --bit) {
      current_ = static_cast<uint8_t>(current_ << 1 | (bits >> bit & 1));
      if (++held_ == 8) {
        out_ += static_cast<char>(current_);
        held_ = 0;
      }
    }
  }
  std::string Finish() {
    if (held_ > 0) out_ += static_cast<char>(current_ << (8 - held_));
    return out_;
  }

 private:
  std::string out_;
  uint8_t current_ = 0;
  int held_ = 0;
};

}  // namespace

std::vector<CraftedTrack> TracksOf(std::string_view raw, const FloppyGeometry& geometry,
                                   const std::vector<uint8_t>& order, int step) {
  std::vector<uint8_t> numbers = order;
  if (numbers.empty()) {
    for (int n = 1; n <= geometry.sectorsPerTrack; ++n) numbers.push_back(static_cast<uint8_t>(n));
  }
  std::vector<CraftedTrack> tracks;
  for (int cylinder = 0; cylinder < geometry.tracks; ++cylinder) {
    for (int head = 0; head < kHeads; ++head) {
      CraftedTrack& track = tracks.emplace_back();
      track.cylinder = static_cast<uint8_t>(cylinder * step);
      track.head = static_cast<uint8_t>(head);
      for (uint8_t number : numbers) {
        CraftedSector& sector = track.sectors.emplace_back();
        sector.cylinder = static_cast<uint8_t>(cylinder);
        sector.head = static_cast<uint8_t>(head);
        sector.number = number;
        const auto at = static_cast<std::size_t>(geometry.LinearSector(cylinder, head, number - 1)) * kSectorBytes;
        sector.data = std::string(raw.substr(at, kSectorBytes));
      }
    }
    for (int head = 0; head < kHeads && step == 2; ++head) {
      CraftedTrack& empty = tracks.emplace_back();
      empty.cylinder = static_cast<uint8_t>(cylinder * step + 1);
      empty.head = static_cast<uint8_t>(head);
    }
  }
  return tracks;
}

std::string CraftImd(const std::vector<CraftedTrack>& tracks, const ImdStyle& style) {
  std::string out = style.header + "\r\n" + style.comment + '\x1A';
  for (const CraftedTrack& track : tracks) {
    // Maps where the IDs name another place, as ImageDisk writes them, or everywhere when asked.
    const bool maps = style.maps || std::any_of(track.sectors.begin(), track.sectors.end(), [&](const CraftedSector& s) {
      return s.cylinder != track.cylinder || s.head != track.head;
    });
    out += static_cast<char>(track.fm ? 2 : style.mode);
    out += static_cast<char>(track.cylinder);
    out += static_cast<char>(track.head | (maps ? 0xC0 : 0));
    out += static_cast<char>(track.sectors.size());
    out += static_cast<char>(track.sectors.empty() ? 2 : track.sectors[0].sizeCode);
    for (const CraftedSector& sector : track.sectors) out += static_cast<char>(sector.number);
    if (maps) {
      for (const CraftedSector& sector : track.sectors) out += static_cast<char>(sector.cylinder);
      for (const CraftedSector& sector : track.sectors) out += static_cast<char>(sector.head);
    }
    for (const CraftedSector& sector : track.sectors) {
      if (sector.kind == CraftedSector::Kind::Unavailable) {
        out += '\0';
        continue;
      }
      const bool compressed = style.compress && Uniform(sector.data);
      int type = 1 + (compressed ? 1 : 0);
      if (sector.kind == CraftedSector::Kind::Deleted || sector.kind == CraftedSector::Kind::DeletedWithError) type += 2;
      if (sector.kind == CraftedSector::Kind::DataError || sector.kind == CraftedSector::Kind::DeletedWithError) type += 4;
      out += static_cast<char>(type);
      out += compressed ? sector.data.substr(0, 1) : sector.data;
    }
  }
  return out;
}

uint16_t ReferenceTd0Crc(std::string_view bytes, uint16_t crc) {
  // The register shifted through every bit of the message, divided by x^16 + the polynomial's terms.
  for (unsigned char byte : bytes) {
    for (int bit = 7; bit >= 0; --bit) {
      const bool top = ((crc >> 15) ^ (byte >> bit)) & 1;
      crc = static_cast<uint16_t>(crc << 1);
      if (top) crc ^= 0xA097;
    }
  }
  return crc;
}

std::string CraftTd0(const std::vector<CraftedTrack>& tracks, const Td0Style& style) {
  std::string body;
  if (!style.comment.empty()) {
    std::string text = style.comment;
    std::replace(text.begin(), text.end(), '\n', '\0');
    std::string header;
    PutLe16(header, static_cast<unsigned>(text.size()));
    header += std::string("\x67\x03\x04\x05\x06\x07", 6);
    const uint16_t crc = ReferenceTd0Crc(text, ReferenceTd0Crc(header));
    PutLe16(body, crc);
    body += header + text;
  }
  for (const CraftedTrack& track : tracks) {
    std::string head;
    head += static_cast<char>(track.sectors.size());
    head += static_cast<char>(track.cylinder);
    head += static_cast<char>(track.head | (track.fm ? 0x80 : 0));
    body += head + static_cast<char>(ReferenceTd0Crc(head) & 0xFF);
    for (const CraftedSector& sector : track.sectors) {
      uint8_t flags = 0;
      if (sector.kind == CraftedSector::Kind::Deleted || sector.kind == CraftedSector::Kind::DeletedWithError) flags |= 0x04;
      if (sector.kind == CraftedSector::Kind::DataError || sector.kind == CraftedSector::Kind::DeletedWithError) flags |= 0x02;
      if (sector.kind == CraftedSector::Kind::Unavailable) flags |= 0x20;
      std::string id{static_cast<char>(sector.cylinder), static_cast<char>(sector.head), static_cast<char>(sector.number),
                     static_cast<char>(sector.sizeCode), static_cast<char>(flags)};
      const bool hasData = sector.kind != CraftedSector::Kind::Unavailable;
      body += id + static_cast<char>(ReferenceTd0Crc(hasData ? std::string_view(sector.data) : std::string_view(id)) & 0xFF);
      if (hasData) body += Td0SectorData(sector.data, style.encoding);
    }
  }
  // The end as Teledisk writes it, a whole track header; then slack, since some readers stop short of the
  // stream's last bits.
  body += std::string("\xFF\0\0", 3) + static_cast<char>(ReferenceTd0Crc(std::string("\xFF\0\0", 3)) & 0xFF);
  body += std::string(16, '\0');
  std::string header = style.advanced ? "td" : "TD";
  header += std::string{'\0', '\x2A', static_cast<char>(style.version), static_cast<char>(style.dataRate), '\x04',
                        static_cast<char>(style.comment.empty() ? 0 : 0x80), '\0', '\x02'};
  PutLe16(header, ReferenceTd0Crc(header));
  return header + (style.advanced ? LzhufCompress(body) : body);
}

std::string LzhufCompress(std::string_view bytes) {
  constexpr std::size_t kCandidates = 48;
  constexpr std::size_t kHashSize = 1 << 14;
  auto hash = [&](std::size_t at) {
    return (static_cast<uint8_t>(bytes[at]) << 6 ^ static_cast<uint8_t>(bytes[at + 1]) << 3 ^
            static_cast<uint8_t>(bytes[at + 2])) & (kHashSize - 1);
  };
  std::vector<int64_t> head(kHashSize, -1), previous(bytes.size(), -1);
  AdaptiveHuffman model;
  BitWriter out;
  auto symbol = [&](int value) {
    uint64_t code = 0;
    const int length = model.Code(value, code);
    out.Put(code, length);
    model.Count(value);
  };
  auto remember = [&](std::size_t at) {
    if (at + 2 >= bytes.size()) return;
    previous[at] = head[hash(at)];
    head[hash(at)] = static_cast<int64_t>(at);
  };
  for (std::size_t at = 0; at < bytes.size();) {
    std::size_t bestLength = 0, bestFrom = 0;
    if (at + 2 < bytes.size()) {
      const std::size_t longest = std::min<std::size_t>(kLzhufLongestMatch, bytes.size() - at);
      int64_t from = head[hash(at)];
      for (std::size_t tries = 0; from >= 0 && tries < kCandidates; from = previous[static_cast<std::size_t>(from)], ++tries) {
        const auto source = static_cast<std::size_t>(from);
        if (at - source >= kLzhufWindow) break;
        std::size_t length = 0;
        while (length < longest && bytes[source + length] == bytes[at + length]) ++length;
        if (length > bestLength) {
          bestLength = length;
          bestFrom = source;
        }
        if (length == longest) break;
      }
    }
    if (bestLength >= kLzhufShortestMatch) {
      symbol(static_cast<int>(256 + bestLength - kLzhufShortestMatch));
      const auto distance = static_cast<uint32_t>(at - bestFrom - 1);
      const DistanceCode prefix = DistancePrefix(static_cast<int>(distance >> 6));
      out.Put(prefix.code, prefix.bits);
      out.Put(distance & 0x3F, 6);
    } else {
      bestLength = 1;
      symbol(static_cast<uint8_t>(bytes[at]));
    }
    for (std::size_t i = 0; i < bestLength; ++i) remember(at + i);
    at += bestLength;
  }
  return out.Finish();
}
