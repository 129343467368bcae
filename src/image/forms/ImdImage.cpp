#include "image/forms/ImdImage.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "image/forms/ByteCursor.h"

namespace {

constexpr uint8_t kCommentEnd = 0x1A;
constexpr uint8_t kModes = 6;          // 0..2 FM, 3..5 MFM (500, 300, 250 kbps)
constexpr uint8_t kFirstMfmMode = 3;
constexpr uint8_t kSizeCodes = 7;      // 128 to 8192 bytes
constexpr uint8_t kCylinderMap = 0x80;
constexpr uint8_t kHeadMap = 0x40;
constexpr uint8_t kRecordTypes = 9;    // 0 unavailable, 1..8 data
// Of a data record's type less one: one fill byte, a deleted-data mark, read with a data error.
constexpr uint8_t kCompressed = 1, kDataError = 4;
// More track records than cylinders and heads can name are read no further.
constexpr std::size_t kMostTracks = 2 * 256 * 2;

constexpr uint8_t kMfm500 = 3, kMfm250 = 5;

ArchiveProblem Problem(ArchiveProblem::Kind kind, uint64_t offset, int cylinder = 0, int head = 0, int value = 0) {
  ArchiveProblem problem;
  problem.kind = kind;
  problem.offset = offset;
  problem.cylinder = cylinder;
  problem.head = head;
  problem.value = value;
  return problem;
}

// The comment's text: after the header line, up to its end mark, lines ended by '\n'.
std::string CommentOf(std::span<const uint8_t> file, std::size_t end) {
  const auto* begin = file.data();
  const auto* stop = begin + end;
  const auto* lineEnd = std::find(begin, stop, '\n');
  std::string comment;
  for (const auto* at = lineEnd == stop ? stop : lineEnd + 1; at != stop; ++at) {
    if (*at != '\r') comment += static_cast<char>(*at);
  }
  return comment;
}

}  // namespace

ArchiveParse ParseImd(std::span<const uint8_t> file) {
  using Kind = ArchiveProblem::Kind;
  if (file.size() < 3 || std::memcmp(file.data(), "IMD", 3) != 0) return Problem(Kind::NotTheForm, 0);
  const auto end = std::find(file.begin(), file.end(), kCommentEnd);
  if (end == file.end()) return Problem(Kind::CommentUnended, file.size());
  ArchivedDisk disk;
  disk.comment = CommentOf(file, static_cast<std::size_t>(end - file.begin()));
  ByteCursor in(file, static_cast<std::size_t>(end - file.begin()) + 1);
  while (!in.AtEnd()) {
    const std::size_t start = in.At();
    std::span<const uint8_t> head = in.Take(5);
    if (head.empty()) return Problem(Kind::Cut, file.size());
    if (head[0] >= kModes) return Problem(Kind::Mode, start, 0, 0, head[0]);
    if (disk.tracks.size() == kMostTracks) return Problem(Kind::TooLarge, start);
    ArchivedTrack& track = disk.tracks.emplace_back();
    track.fm = head[0] < kFirstMfmMode;
    track.cylinder = head[1];
    track.head = head[2] & ~(kCylinderMap | kHeadMap);
    const uint8_t count = head[3], sizeCode = head[4];
    if (sizeCode >= kSizeCodes) return Problem(Kind::SizeCode, start, track.cylinder, track.head, sizeCode);
    const std::size_t sectorBytes = std::size_t{128} << sizeCode;
    std::span<const uint8_t> numbers = in.Take(count);
    std::span<const uint8_t> cylinders = head[2] & kCylinderMap ? in.Take(count) : numbers;
    std::span<const uint8_t> heads = head[2] & kHeadMap ? in.Take(count) : numbers;
    if (count > 0 && (numbers.empty() || cylinders.empty() || heads.empty())) return Problem(Kind::Cut, file.size());
    track.sectors.resize(count);
    for (std::size_t s = 0; s < count; ++s) {
      ArchivedSector& sector = track.sectors[s];
      sector.number = numbers[s];
      sector.cylinder = head[2] & kCylinderMap ? cylinders[s] : track.cylinder;
      sector.head = head[2] & kHeadMap ? heads[s] : track.head;
      sector.sizeCode = sizeCode;
      std::span<const uint8_t> type = in.Take(1);
      if (type.empty()) return Problem(Kind::Cut, file.size());
      if (type[0] >= kRecordTypes) return Problem(Kind::RecordType, in.At() - 1, track.cylinder, track.head, type[0]);
      if (type[0] == 0) continue;
      const uint8_t kind = type[0] - 1;
      std::span<const uint8_t> data = in.Take(kind & kCompressed ? 1 : sectorBytes);
      if (data.empty()) return Problem(Kind::Cut, file.size());
      if (kind & kDataError) {
        sector.data = ArchivedSector::Data::Damaged;
        continue;
      }
      sector.data = ArchivedSector::Data::Good;
      // Sectors of other sizes are refused as they are found; only the PC's are kept.
      if (sectorBytes != kSectorBytes) continue;
      if (disk.bytes.size() + kSectorBytes > kLargestArchiveBytes) return Problem(Kind::TooLarge, in.At());
      sector.at = static_cast<uint32_t>(disk.bytes.size());
      if (kind & kCompressed) {
        disk.bytes.resize(disk.bytes.size() + kSectorBytes, data[0]);
      } else {
        disk.bytes.insert(disk.bytes.end(), data.begin(), data.end());
      }
    }
  }
  return disk;
}

std::string ImdHeader(std::string_view comment, const std::tm& time) {
  char line[64];
  std::snprintf(line, sizeof line, "IMD 1.18: %02d/%02d/%04d %02d:%02d:%02d\r\n", time.tm_mday, time.tm_mon + 1,
                time.tm_year + 1900, time.tm_hour, time.tm_min, time.tm_sec);
  std::string header = line;
  std::size_t lineStart = 0;
  while (lineStart < comment.size()) {
    std::size_t lineEnd = std::min(comment.find('\n', lineStart), comment.size());
    for (char c : comment.substr(lineStart, lineEnd - lineStart)) {
      // The end mark must stay the comment's end.
      if (c != '\r') header += static_cast<uint8_t>(c) == kCommentEnd ? ' ' : c;
    }
    header += "\r\n";
    lineStart = lineEnd + 1;
  }
  header += static_cast<char>(kCommentEnd);
  return header;
}

std::string ImdTracks(const FloppyGeometry& geometry, std::span<const uint8_t> raw, const std::vector<bool>& bad) {
  const std::vector<uint16_t> order = FormatSectorIds(geometry);
  const uint8_t mode = geometry.sectorsPerTrack >= 15 ? kMfm500 : kMfm250;
  std::string out;
  out.reserve(raw.size() + raw.size() / 64);
  for (int cylinder = 0; cylinder < geometry.tracks; ++cylinder) {
    for (int head = 0; head < kHeads; ++head) {
      out += static_cast<char>(mode);
      out += static_cast<char>(cylinder);
      out += static_cast<char>(head);
      out += static_cast<char>(geometry.sectorsPerTrack);
      out += static_cast<char>(2);
      for (uint16_t number : order) out += static_cast<char>(number);
      for (uint16_t number : order) {
        const auto index = static_cast<std::size_t>(geometry.LinearSector(cylinder, head, number - 1));
        if (index < bad.size() && bad[index]) {
          out += '\0';
          continue;
        }
        const uint8_t* sector = raw.data() + index * kSectorBytes;
        if (std::all_of(sector, sector + kSectorBytes, [&](uint8_t byte) { return byte == sector[0]; })) {
          out += static_cast<char>(1 + kCompressed);
          out += static_cast<char>(sector[0]);
        } else {
          out += '\1';
          out.append(reinterpret_cast<const char*>(sector), kSectorBytes);
        }
      }
    }
  }
  return out;
}
