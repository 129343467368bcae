#include "filesystem/NameFolding.h"

#include <algorithm>
#include <iterator>

#include "base/Utf.h"

namespace {

// Unicode's simple case folding (CaseFolding.txt, statuses C and S) for the scripts of long names: Latin
// (Basic, Latin-1, Extended-A and -B, Extended Additional), Greek, Cyrillic, Armenian and the full-width
// letters. Runs of code points first..last that fold to code point + delta, every step-th one.
struct FoldRun {
  char16_t first, last;
  int delta;
  int step;
};
constexpr FoldRun kFoldRuns[] = {
    {0x0041, 0x005A, 32, 1}, {0x00B5, 0x00B5, 775, 1}, {0x00C0, 0x00D6, 32, 1}, {0x00D8, 0x00DE, 32, 1},
    {0x0100, 0x012E, 1, 2}, {0x0132, 0x0136, 1, 2}, {0x0139, 0x0147, 1, 2}, {0x014A, 0x0176, 1, 2},
    {0x0178, 0x0178, -121, 1}, {0x0179, 0x017D, 1, 2}, {0x017F, 0x017F, -268, 1}, {0x0181, 0x0181, 210, 1},
    {0x0182, 0x0184, 1, 2}, {0x0186, 0x0186, 206, 1}, {0x0187, 0x0187, 1, 1}, {0x0189, 0x018A, 205, 1},
    {0x018B, 0x018B, 1, 1}, {0x018E, 0x018E, 79, 1}, {0x018F, 0x018F, 202, 1}, {0x0190, 0x0190, 203, 1},
    {0x0191, 0x0191, 1, 1}, {0x0193, 0x0193, 205, 1}, {0x0194, 0x0194, 207, 1}, {0x0196, 0x0196, 211, 1},
    {0x0197, 0x0197, 209, 1}, {0x0198, 0x0198, 1, 1}, {0x019C, 0x019C, 211, 1}, {0x019D, 0x019D, 213, 1},
    {0x019F, 0x019F, 214, 1}, {0x01A0, 0x01A4, 1, 2}, {0x01A6, 0x01A6, 218, 1}, {0x01A7, 0x01A7, 1, 1},
    {0x01A9, 0x01A9, 218, 1}, {0x01AC, 0x01AC, 1, 1}, {0x01AE, 0x01AE, 218, 1}, {0x01AF, 0x01AF, 1, 1},
    {0x01B1, 0x01B2, 217, 1}, {0x01B3, 0x01B5, 1, 2}, {0x01B7, 0x01B7, 219, 1}, {0x01B8, 0x01B8, 1, 1},
    {0x01BC, 0x01BC, 1, 1}, {0x01C4, 0x01C4, 2, 1}, {0x01C5, 0x01C5, 1, 1}, {0x01C7, 0x01C7, 2, 1},
    {0x01C8, 0x01C8, 1, 1}, {0x01CA, 0x01CA, 2, 1}, {0x01CB, 0x01DB, 1, 2}, {0x01DE, 0x01EE, 1, 2},
    {0x01F1, 0x01F1, 2, 1}, {0x01F2, 0x01F4, 1, 2}, {0x01F6, 0x01F6, -97, 1}, {0x01F7, 0x01F7, -56, 1},
    {0x01F8, 0x021E, 1, 2}, {0x0220, 0x0220, -130, 1}, {0x0222, 0x0232, 1, 2}, {0x023A, 0x023A, 10795, 1},
    {0x023B, 0x023B, 1, 1}, {0x023D, 0x023D, -163, 1}, {0x023E, 0x023E, 10792, 1}, {0x0241, 0x0241, 1, 1},
    {0x0243, 0x0243, -195, 1}, {0x0244, 0x0244, 69, 1}, {0x0245, 0x0245, 71, 1}, {0x0246, 0x024E, 1, 2},
    {0x0370, 0x0372, 1, 2}, {0x0376, 0x0376, 1, 1}, {0x037F, 0x037F, 116, 1}, {0x0386, 0x0386, 38, 1},
    {0x0388, 0x038A, 37, 1}, {0x038C, 0x038C, 64, 1}, {0x038E, 0x038F, 63, 1}, {0x0391, 0x03A1, 32, 1},
    {0x03A3, 0x03AB, 32, 1}, {0x03C2, 0x03C2, 1, 1}, {0x03CF, 0x03CF, 8, 1}, {0x03D0, 0x03D0, -30, 1},
    {0x03D1, 0x03D1, -25, 1}, {0x03D5, 0x03D5, -15, 1}, {0x03D6, 0x03D6, -22, 1}, {0x03D8, 0x03EE, 1, 2},
    {0x03F0, 0x03F0, -54, 1}, {0x03F1, 0x03F1, -48, 1}, {0x03F4, 0x03F4, -60, 1}, {0x03F5, 0x03F5, -64, 1},
    {0x03F7, 0x03F7, 1, 1}, {0x03F9, 0x03F9, -7, 1}, {0x03FA, 0x03FA, 1, 1}, {0x03FD, 0x03FF, -130, 1},
    {0x0400, 0x040F, 80, 1}, {0x0410, 0x042F, 32, 1}, {0x0460, 0x0480, 1, 2}, {0x048A, 0x04BE, 1, 2},
    {0x04C0, 0x04C0, 15, 1}, {0x04C1, 0x04CD, 1, 2}, {0x04D0, 0x052E, 1, 2}, {0x0531, 0x0556, 48, 1},
    {0x1E00, 0x1E94, 1, 2}, {0x1E9B, 0x1E9B, -58, 1}, {0x1E9E, 0x1E9E, -7615, 1}, {0x1EA0, 0x1EFE, 1, 2},
    {0xFF21, 0xFF3A, 32, 1},
};

char16_t Folded(char16_t unit) {
  auto after = std::upper_bound(std::begin(kFoldRuns), std::end(kFoldRuns), unit,
                                [](char16_t u, const FoldRun& run) { return u < run.first; });
  if (after == std::begin(kFoldRuns)) return unit;
  const FoldRun& run = *std::prev(after);
  if (unit > run.last || (unit - run.first) % run.step != 0) return unit;
  return static_cast<char16_t>(unit + run.delta);
}

// The capital of a letter: the letter that folds to what it folds to (final sigma's is sigma's). Where two
// fold to one, a run's letter wins over a lone variant (M over the micro sign); capital sharp s is no simple
// capital of sharp s.
char16_t Upper(char16_t unit) {
  const char16_t folded = Folded(unit);
  char16_t lone = unit;
  for (const FoldRun& run : kFoldRuns) {
    const int from = folded - run.delta;
    if (from < run.first || from > run.last || (from - run.first) % run.step != 0 || from == 0x1E9E) continue;
    if (run.first != run.last) return static_cast<char16_t>(from);
    if (lone == unit) lone = static_cast<char16_t>(from);
  }
  return lone;
}

}  // namespace

std::string UpperCasedName(std::string_view name) {
  std::u16string units = Utf8ToUtf16(name);
  for (char16_t& unit : units) unit = Upper(unit);
  return Utf16ToUtf8(units);
}

std::string FoldedName(std::string_view name) {
  std::u16string units = Utf8ToUtf16(name);
  for (char16_t& unit : units) unit = Folded(unit);
  return Utf16ToUtf8(units);
}
