#include "base/WindowsMessageBoxes.h"

#include <windows.h>

#include "base/Texts.h"
#include "base/Utf.h"
#include "base/Wide_win32.h"

namespace {

UINT Style(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Error: return MB_OK | MB_ICONERROR;
    case MessageIcon::Exclamation: return MB_OK | MB_ICONEXCLAMATION;
    case MessageIcon::Information: return MB_OK | MB_ICONINFORMATION;
    case MessageIcon::Question: return MB_YESNO | MB_ICONQUESTION;
    case MessageIcon::None: return MB_OK;
  }
  return MB_OK;
}

}  // namespace

MessageAnswer WindowsMessageBoxes::Show(int, const std::string& text, MessageIcon icon) {
  HWND owner = static_cast<HWND>(owner_.load());
  if (owner && ::GetWindowThreadProcessId(owner, nullptr) != ::GetCurrentThreadId()) owner = nullptr;
  int answer = ::MessageBoxW(owner, Wide(text).c_str(), Wide(caption_ ? caption_ : TextOf(kTextAppTitle)).c_str(), Style(icon));
  if (icon != MessageIcon::Question) return MessageAnswer::Ok;
  return answer == IDYES ? MessageAnswer::Yes : MessageAnswer::No;
}
