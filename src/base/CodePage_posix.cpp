#include <errno.h>
#include <iconv.h>

#include <cstdlib>
#include <mutex>

#include "base/CodePage.h"

namespace {

std::string CodePageName() {
  const char* name = std::getenv("DISKELLE_CODEPAGE");
  return name && *name ? name : "GBK";
}

// Converts with iconv; on a byte it cannot convert it appends replacement and skips that byte.
std::string Convert(const char* to, const char* from, std::string_view input, std::string_view replacement) {
  iconv_t cd = ::iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    // Unknown code page: keep plain ASCII, replace the rest.
    std::string out;
    for (char c : input) out += static_cast<unsigned char>(c) < 0x80 ? std::string(1, c) : std::string(replacement);
    return out;
  }
  std::string out;
  char buffer[256];
  char* in = const_cast<char*>(input.data());
  std::size_t inLeft = input.size();
  while (inLeft > 0) {
    char* outPtr = buffer;
    std::size_t outLeft = sizeof buffer;
    std::size_t result = ::iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    out.append(buffer, sizeof buffer - outLeft);
    if (result == static_cast<std::size_t>(-1) && errno != E2BIG) {
      out += replacement;
      // Skip one whole UTF-8 character, or one byte of the code page.
      std::size_t skip = 1;
      if (std::string_view(from) == "UTF-8") {
        while (skip < inLeft && (static_cast<unsigned char>(in[skip]) & 0xC0) == 0x80) ++skip;
      }
      in += skip;
      inLeft -= skip;
      ::iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
  }
  ::iconv_close(cd);
  return out;
}

// Text the conversion leaves as it is: the code page, as every ANSI code page, writes ASCII as UTF-8 does. Most
// names and descriptions are such text, and the code page's tables are then never loaded.
bool Ascii(std::string_view text) {
  for (char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

}  // namespace

std::string ToSystemCodePage(std::string_view utf8) {
  if (Ascii(utf8)) return std::string(utf8);
  return Convert(CodePageName().c_str(), "UTF-8", utf8, "?");
}

std::string FromSystemCodePage(std::string_view bytes) {
  if (Ascii(bytes)) return std::string(bytes);
  return Convert("UTF-8", CodePageName().c_str(), bytes, "\xEF\xBF\xBD");
}
