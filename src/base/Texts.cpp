#include "base/Texts.h"

#include <algorithm>
#include <array>
#include <iterator>

namespace {

struct Entry {
  int id;
  const char* text;
};

constexpr Entry kEntries[] = {
#define DK_TEXT(id, name, text) {id, text},
#include "base/texts.def"
};

constexpr auto SortedEntries() {
  std::array<Entry, std::size(kEntries)> sorted{};
  std::copy(std::begin(kEntries), std::end(kEntries), sorted.begin());
  std::sort(sorted.begin(), sorted.end(), [](const Entry& a, const Entry& b) { return a.id < b.id; });
  return sorted;
}

constexpr auto kSorted = SortedEntries();

constexpr bool IdsAreUnique() {
  for (std::size_t i = 1; i < kSorted.size(); ++i) {
    if (kSorted[i - 1].id == kSorted[i].id) return false;
  }
  return true;
}
static_assert(IdsAreUnique(), "two texts share a string-table id");

const Entry* Find(int id) {
  auto it = std::lower_bound(kSorted.begin(), kSorted.end(), id,
                             [](const Entry& e, int value) { return e.id < value; });
  return it != kSorted.end() && it->id == id ? &*it : nullptr;
}

}  // namespace

const char* TextOf(int id) {
  const Entry* entry = Find(id);
  return entry ? entry->text : "";
}

bool HasText(int id) { return Find(id) != nullptr; }
