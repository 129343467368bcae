#include "net/NewsFile.h"

#include <vector>

#include "base/Strings.h"
#include "base/OpenableAddress.h"
#include "net/ResponseBody.h"
#include "net/WhiteSpace.h"

bool NewsFile::HasLink() const { return !EqualsIgnoringCase(caption, "N/A"); }

NewsFile ParseNewsFile(std::string_view text) {
  std::vector<std::string> lines = SplitLines(text);
  NewsFile news;
  if (lines.size() > 0) news.caption = lines[0];
  if (lines.size() > 1 && IsOpenableAddress(lines[1])) news.address = lines[1];
  std::string message;
  for (std::size_t i = 2; i < lines.size(); ++i) {
    message += lines[i];
    message += "\r\n";
  }
  news.message = std::string(TrimTrailingWhiteSpace(message));
  return news;
}
