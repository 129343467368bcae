#pragma once
// Texts that came from files and arguments (descriptions, paths) reach the terminal with their control
// characters escaped: a crafted description must not move the cursor, recolour or retitle the terminal, or
// fake a line of output.

#include <string>
#include <string_view>

// Control characters (C0, DEL, C1) and bytes that are not UTF-8 become "\n", "\r", "\t" or "\xHH" (one per
// byte); everything else stays as it is.
std::string TerminalSafe(std::string_view text);
// As TerminalSafe, and a backslash doubled: a name holding "\x01" and one holding the control character read
// differently (the listing of a disk's names).
std::string TerminalExact(std::string_view text);
