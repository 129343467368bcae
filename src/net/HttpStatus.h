#pragma once
// The HTTP status of an answer: what counts as success, and the message for the rest.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "base/ShownText.h"

// How much of a status text or error message each dialog shows.
inline constexpr std::size_t kUpdateMessageLimit = 256;
inline constexpr std::size_t kNewsMessageLimit = 1024;
inline constexpr std::size_t kFeedbackMessageLimit = 1024;

// Success is a code from 200 to 299, or no readable code at all (nullopt): the status query failing is no
// reason to refuse an answer.
bool IsSuccessStatus(std::optional<int> code);

// "HTTP 请求失败 (%d: %s)" with the code and the server's status text (cut to the limit, its control
// characters escaped, a line break after every 64 characters without a blank), or nullopt on success.
std::optional<std::string> HttpStatusError(std::optional<int> code, std::string_view statusText, std::size_t limit);
