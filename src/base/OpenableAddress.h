#pragma once
// Addresses that come from the server reach the shell only through this check: a link must never start a
// program, open a local file or run script, whatever the server sends.

#include <cstddef>
#include <string_view>

inline constexpr std::size_t kMaxAddressBytes = 2048;

// True for an http://host..., https://host... or mailto:... address (scheme in any case) made only of
// printable ASCII without blanks, quotes, angle brackets, backslashes or other characters a shell or
// command line could read as syntax.
bool IsOpenableAddress(std::string_view address);
