#include "net/HttpStatus.h"

#include "base/Format.h"
#include "base/Texts.h"
#include "net/ResponseBody.h"

namespace {

// A message box is as wide as its longest unbroken run of text: a long status text without blanks would
// make it wider than the screen.
constexpr std::size_t kLongestRun = 64;

std::string BreakLongRuns(std::string_view text) {
  std::string broken;
  std::size_t run = 0;
  for (char c : text) {
    bool startsCharacter = (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    if (startsCharacter && run == kLongestRun && c != ' ') {
      broken += '\n';
      run = 0;
    }
    broken += c;
    if (c == ' ' || c == '\n') {
      run = 0;
    } else if (startsCharacter) {
      ++run;
    }
  }
  return broken;
}

}  // namespace

bool IsSuccessStatus(std::optional<int> code) { return !code || (*code >= 200 && *code <= 299); }

std::optional<std::string> HttpStatusError(std::optional<int> code, std::string_view statusText, std::size_t limit) {
  if (IsSuccessStatus(code)) return std::nullopt;
  return FormatText(kTextHttpRequestFailed, {*code, BreakLongRuns(EscapeControls(LimitText(statusText, limit)))});
}

