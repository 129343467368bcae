#pragma once
// UTF-8 (the core's text encoding) to and from UTF-16 (the Windows API's and the registry's). Invalid input
// never fails: each bad sequence becomes U+FFFD.

#include <string>
#include <string_view>

std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);

// Pads UTF-8 text with spaces to columns on a terminal, where CJK characters take two columns; longer text
// stays as it is.
std::string PadToColumns(std::string_view text, int columns);
