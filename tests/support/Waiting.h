#pragma once
// How the tests wait. A test waits for a state (a window, a file, a message, a process's stop or end), never
// for a stretch of time; the ceiling only ends the wait for a state that never comes, and the failure then
// names that state. It is generous: a busy machine runs the programs, the sanitizers and Wine many times
// slower than an idle one, and only a failing test ever waits this long.

#include <chrono>
#include <functional>

inline constexpr std::chrono::milliseconds kWaitCeiling = std::chrono::minutes(2);

// How long a test watches for something that must not happen (a message box after a cancelled request, a
// step after a stop). Such a watch cannot fail a sound program on a slow machine; it can only miss a fault
// there.
inline constexpr std::chrono::milliseconds kQuietWatch = std::chrono::seconds(1);

// Checks condition until it holds: false once the ceiling has passed.
bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds ceiling = kWaitCeiling);
