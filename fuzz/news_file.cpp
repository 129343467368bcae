// The news file as a server could send it, on arbitrary bytes.
#include <string>
#include <string_view>

#include "net/NewsFile.h"
#include "base/OpenableAddress.h"
#include "net/ResponseBody.h"
#include "net/WhiteSpace.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  ResponseBody body;
  if (!body.Append(bytes) && size <= kMaxResponseBytes) __builtin_trap();
  for (std::string_view text : {bytes, body.Text()}) {
    NewsFile news = ParseNewsFile(text);
    if (news.caption.find_first_of("\r\n") != std::string::npos) __builtin_trap();
    if (!news.address.empty() && !IsOpenableAddress(news.address)) __builtin_trap();
    if (news.HasLink() == (news.caption.size() == 3 && (news.caption[1] == '/') &&
                           (news.caption[0] | 0x20) == 'n' && (news.caption[2] | 0x20) == 'a')) {
      __builtin_trap();
    }
    if (TrimTrailingWhiteSpace(news.message).size() != news.message.size()) __builtin_trap();
    if (news.caption.size() + news.address.size() + news.message.size() > 2 * text.size()) __builtin_trap();
  }
  return 0;
}
