#pragma once
// Values of an application/x-www-form-urlencoded body.

#include <string>
#include <string_view>

// Every byte but ASCII letters, digits and "-_.~" as %XX: "&", "=", "+" and "%" in a user's text can then
// never end a field or change its meaning.
std::string EncodeFormValue(std::string_view text);

// As EncodeFormValue, but a line break (LF or CR LF) is sent as one raw LF, as the feedback server reads
// comments.
std::string EncodeFormComment(std::string_view text);
