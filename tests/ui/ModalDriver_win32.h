#pragma once
// Acting on a modal window from inside its own message loop, the way a user's input arrives: the action runs
// from a thread timer once the loop is running, on the loop's thread.

#include <windows.h>

#include <functional>
#include <vector>

#include "support/Waiting.h"
#include "ui/MyDialog.h"

// The ceiling of a wait for a state of the thread's windows, and the time a test watches for a change that
// must not come (support/Waiting.h).
inline constexpr DWORD kPumpCeilingMs = static_cast<DWORD>(kWaitCeiling.count());
inline constexpr DWORD kQuietMs = static_cast<DWORD>(kQuietWatch.count());

// The result RunModalWith gives a dialog that the action left open (it is ended then).
inline constexpr INT_PTR kLeftOpen = 4242;

// Runs dialog modally and calls act with its window once its loop runs.
INT_PTR RunModalWith(CMyDialog& dialog, HWND owner, const std::function<void(HWND)>& act);
// The same with several steps; the dialog's own loop handles what a step posted before the next step runs.
INT_PTR RunModalWithSteps(CMyDialog& dialog, HWND owner, const std::vector<std::function<void(HWND)>>& steps);

// Calls act from the next modal loop that runs on this thread (any kind: a property sheet's too).
void ActInNextLoop(const std::function<void()>& act);

// Dispatches the thread's messages for about ms milliseconds as the modal loops do (the dialogs'
// PreTranslateMessage, then the keyboard navigation of the message's dialog) and returns.
void PumpMessages(DWORD ms);

// Dispatches the thread's messages until done() or timeoutMs; returns done().
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = kPumpCeilingMs);
