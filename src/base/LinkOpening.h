#pragma once
// What a link does when the shell cannot open its address: the command of the .htm type's browser with the
// address appended, and the message for a failure code of ShellExecute or WinExec.

#include <optional>
#include <string>
#include <string_view>

// The browser command of the .htm type cut before its "%1" (quoted or not), then a blank and the address
// quoted as one argument. nullopt unless the address is openable (base/OpenableAddress.h): only then can
// it carry no quote or blank that would end the argument.
std::optional<std::string> LinkCommandLine(std::string_view htmCommand, std::string_view address);

// "不能打开链接:\n\n" and the text for the code (an unknown code shown as a number).
std::string LinkOpenErrorMessage(int code);

// The code a refused address (no web or mail address) fails with; no code the system gives.
inline constexpr int kLinkRefusedCode = -1;
