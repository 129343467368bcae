#pragma once
// The sectors an archive of a disk records (ImageDisk, Teledisk), track by track as the drive found them,
// and the PC floppy they make: the raw image of one of the six formats, with the sectors the archive holds
// no good data for. Disks of other layouts are refused with what was found, never converted in part.

#include <cstddef>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "base/Geometry.h"

// The most an archive file may hold, and the most its sectors (or a Teledisk stream) may unpack to: far more
// than any floppy, little enough to be read whole in a moment.
inline constexpr std::size_t kLargestArchiveBytes = 4 * kImageBufferBytes;

struct ArchivedSector {
  enum class Data : uint8_t {
    Good,     // read as it is
    Damaged,  // read with a data error (its bytes are not kept)
    None,     // not read: no data, no data mark, or skipped
  };
  uint8_t cylinder = 0, head = 0, number = 0;  // its ID field
  uint8_t sizeCode = 2;                        // 128 << sizeCode bytes
  Data data = Data::None;
  uint32_t at = 0;  // where its bytes start in ArchivedDisk::bytes (Good only)
};

struct ArchivedTrack {
  uint8_t cylinder = 0, head = 0;  // where the drive's head stood
  bool fm = false;
  std::vector<ArchivedSector> sectors;
};

struct ArchivedDisk {
  std::string comment;  // as the file holds it, lines ended by '\n'
  std::vector<ArchivedTrack> tracks;
  std::vector<uint8_t> bytes;
  // The file's own checksums (Teledisk's CRCs) that matched, and the sectors whose data did not match theirs
  // (those are Damaged); a header's or track header's mismatch is an ArchiveProblem instead.
  int sumsMatched = 0;
  int sectorSumsFailed = 0;
};

// Why a file is no archive this program reads; the fields used depend on the kind.
struct ArchiveProblem {
  enum class Kind {
    NotTheForm,      // no signature of the form
    CommentUnended,  // the comment runs to the end of the file
    Cut,             // offset: the file ends within a record
    TooLarge,        // holds (or unpacks to) more than any floppy
    Mode,            // offset, value: an unknown track mode
    SizeCode,        // cylinder, head, value: an unknown sector size code
    RecordType,      // cylinder, head, value: an unknown sector record type
    Encoding,        // cylinder, head, value: an unknown sector encoding
    SectorData,      // cylinder, head, value (sector number): data that does not fill its sector exactly
    HeaderSum,       // value, expected: the header's CRC
    CommentSum,      // value, expected: the comment's CRC
    TrackSum,        // cylinder, head: a track header's CRC
    OldCompression,  // value (version): Teledisk 1.x's own compression
    Volume,          // value: a later volume of a set
  };
  Kind kind = Kind::NotTheForm;
  uint64_t offset = 0;
  int cylinder = 0, head = 0, value = 0, expected = 0;
};

// What a parser gives.
using ArchiveParse = std::variant<ArchivedDisk, ArchiveProblem>;

// Why the archive is no PC floppy; the fields used depend on the kind.
struct LayoutProblem {
  enum class Kind {
    NoSectors,     // no track holds a sector
    TrackTwice,    // cylinder, head: recorded twice
    Head,          // cylinder, head: a head other than 0 and 1
    Track,         // cylinder, head, sectors, sectorBytes, fm: not 512-byte sectors in MFM
    SectorNumber,  // cylinder, head, number, sectorsPerTrack: a number outside 1..n, or twice with other data
    SectorId,      // cylinder, head, number, idCylinder, idHead: the ID names another place
    Geometry,      // cylinders, heads, sectorsPerTrack: none of the six formats
  };
  Kind kind = Kind::NoSectors;
  int cylinder = 0, head = 0, sectors = 0, sectorBytes = 0, number = 0, idCylinder = 0, idHead = 0;
  int cylinders = 0, heads = 0, sectorsPerTrack = 0;
  bool fm = false;
};

struct ArrangedFloppy {
  FloppyGeometry geometry;
  std::vector<uint8_t> bytes;  // the raw image, the marker block in every bad sector
  std::vector<bool> bad;       // one flag per sector
  // A 40-track disk read in an 80-track drive: its tracks on every other cylinder, the others empty.
  bool doubleStepped = false;
};

std::variant<ArrangedFloppy, LayoutProblem> ArrangePcFloppy(const ArchivedDisk& disk);
