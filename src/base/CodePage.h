#pragma once
// Image files store descriptions and titles as 8-bit text in the system code page: the ANSI code page on
// Windows; in the POSIX build code page 936 (GBK) unless $DISKELLE_CODEPAGE names another iconv encoding.
// Conversions never fail: characters the code page lacks become '?', undecodable bytes U+FFFD.

#include <cstddef>
#include <string>
#include <string_view>

std::string ToSystemCodePage(std::string_view utf8);
std::string FromSystemCodePage(std::string_view bytes);

// The code-page form of utf8, cut to at most maxBytes without splitting a character.
std::string ToSystemCodePageCut(std::string_view utf8, std::size_t maxBytes);
