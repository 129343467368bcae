#include "image/RescueMerge.h"

#include <cstring>

#include "base/BadSectorMarker.h"
#include "base/File.h"
#include "base/Texts.h"
#include "image/RescueMap.h"

namespace {

void ShowRefusal(IMessageBoxes& boxes, const char* text, std::initializer_list<FormatArg> arguments) {
  boxes.Show(0, FormatText(text, arguments), MessageIcon::Error);
}

}  // namespace

int MergeIntoRescue(const std::string& sourcePath, const std::string& imagePath, ImageBuffer& buffer,
                    RescueMerge& merge, IMessageBoxes& boxes) {
  const std::string mapPath = RescueMapPathOf(imagePath);
  if (!FileExists(imagePath) && !FileExists(mapPath)) return 0;
  if (merge.rescue.LoadInfo(imagePath, boxes) != 0) return -1;
  if (!FileExists(mapPath)) {
    ShowError(boxes, kTextRescueMapMissing, {imagePath, mapPath});
    return -1;
  }
  ImageBuffer rescue;
  if (LoadImageFile(merge.rescue, rescue, boxes) != 0) return -1;
  const std::string source = boxes.ShownArgument(sourcePath), image = boxes.ShownArgument(imagePath);
  if (rescue.count != buffer.count || rescue.count == 0 || rescue.count % kSectorBytes != 0) {
    ShowRefusal(boxes, kTextMergeOtherFormat, {source, image});
    return -1;
  }
  std::optional<std::string> map = LoadRescueMap(mapPath, rescue.count, boxes);
  if (!map) return -1;
  const std::size_t sectors = rescue.count / kSectorBytes;
  auto block = [](ImageBuffer& of, std::size_t sector) { return of.bytes.data() + sector * kSectorBytes; };
  auto rescued = [&](std::size_t s) { return (*map)[s] == '+' && !IsBadSectorMarker(block(rescue, s)); };
  auto given = [&](std::size_t s) { return buffer.bad.empty() || !buffer.bad[s]; };
  for (std::size_t s = 0; s < sectors; ++s) {
    // A map of another image calls sectors bad where this image holds data.
    if ((*map)[s] == '-' && !IsBadSectorMarker(block(rescue, s))) {
      ShowError(boxes, kTextRescueMapUnusable, {mapPath});
      return -1;
    }
  }
  for (std::size_t s = 0; s < sectors; ++s) {
    if (rescued(s) && given(s) && std::memcmp(block(rescue, s), block(buffer, s), kSectorBytes) != 0) {
      ShowRefusal(boxes, kTextMergeOtherDisk, {source, image, static_cast<int64_t>(s + 1)});
      return -1;
    }
  }
  std::vector<bool> bad(sectors, false);
  std::string between = *map;
  for (std::size_t s = 0; s < sectors; ++s) {
    if (given(s) && !rescued(s)) {
      merge.filled.push_back(static_cast<int64_t>(s));
      if (between[s] == '-') between[s] = '?';
      continue;
    }
    std::memcpy(block(buffer, s), block(rescue, s), kSectorBytes);
    bad[s] = !rescued(s);
  }
  buffer.bad = std::move(bad);
  if (between != *map) {
    RescueProgress progress{between, rescue.count, '+'};
    if (SaveRescueMap(mapPath, progress, 1, boxes) != 0) return -1;
  }
  merge.merged = true;
  return 0;
}
