#include "net/UpdateFile.h"

#include <vector>

#include "base/OpenableAddress.h"
#include "net/ResponseBody.h"
#include "net/WhiteSpace.h"
#include "settings/Settings.h"

namespace {

constexpr std::string_view kVersionMarker = "$VERSION";

}  // namespace

UpdateFile ParseUpdateFile(std::string_view text) {
  std::vector<std::string> lines = SplitLines(text);
  UpdateFile file;
  if (lines.empty()) return file;
  if (IsOpenableAddress(lines[0])) file.downloadAddress = lines[0];

  std::string history;
  for (std::size_t i = 1; i < lines.size(); ++i) {
    if (lines[i] == kVersionMarker) {
      if (++i == lines.size()) break;
      // The marker names the version only before any history: a later one is a plain history line.
      if (history.empty()) file.version = lines[i];
    }
    history += lines[i];
    history += "\r\n";
  }
  file.history = std::string(TrimTrailingWhiteSpace(history));
  return file;
}

bool IsOtherVersion(const UpdateFile& file) { return file.version != kProgramVersion; }
