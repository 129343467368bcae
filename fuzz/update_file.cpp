// The update file as a server could send it: the body's limits, then the parser, on arbitrary bytes.
#include <string>
#include <string_view>

#include "base/OpenableAddress.h"
#include "net/ResponseBody.h"
#include "net/UpdateFile.h"
#include "net/WhiteSpace.h"

namespace {

// Every LF of a text shown in an edit control belongs to a CR LF.
bool HasOnlyCrLfBreaks(std::string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) return false;
    if (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n')) return false;
  }
  return true;
}

void Check(std::string_view text) {
  UpdateFile file = ParseUpdateFile(text);
  if (!file.downloadAddress.empty() && !IsOpenableAddress(file.downloadAddress)) __builtin_trap();
  if (file.version.find_first_of("\r\n") != std::string::npos) __builtin_trap();
  if (!HasOnlyCrLfBreaks(file.history) || TrimTrailingWhiteSpace(file.history).size() != file.history.size()) {
    __builtin_trap();
  }
  if (file.history.size() > 2 * text.size()) __builtin_trap();
  std::string_view trimmedVersion = TrimTrailingWhiteSpace(file.version);
  if (!file.version.empty() && !std::string_view(file.history).starts_with(trimmedVersion)) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  Check(bytes);
  ResponseBody body;
  bool complete = true;
  for (std::size_t at = 0; at < size && complete; at += 997) complete = body.Append(bytes.substr(at, 997));
  if (complete != (size <= kMaxResponseBytes) || body.Text().size() > kMaxResponseBytes) __builtin_trap();
  if (!body.Problem()) {
    if (!IsPlainText(body.Text())) __builtin_trap();
    Check(body.Text());
  }
  return 0;
}
