#pragma once
// Text from outside (a server, a self-extracting image) bounded before a window shows it: an edit control
// takes seconds to lay out megabytes or a line of tens of thousands of characters.

#include <cstddef>
#include <string>
#include <string_view>

// Lines longer than this are cut (with "…") before a control shows them.
inline constexpr std::size_t kMaxShownLineBytes = 1024;

// At most limit bytes of UTF-8 text, never ending inside a character.
std::string LimitText(std::string_view text, std::size_t limit);

// The text with every line (LF or CR LF ended) cut to kMaxShownLineBytes, and the whole cut to limit bytes;
// whatever was cut is marked with "…".
std::string BoundForControl(std::string_view text, std::size_t limit);
