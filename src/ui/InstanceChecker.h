#pragma once
// One running instance per desktop. The first instance publishes its main window handle in a 4-byte named
// section; a later instance finds it, brings it forward and hands it its first argument with WM_COPYDATA.
// A named start-up mutex lets start-ups pass one at a time, from the check to the publication.

#include <windows.h>

#include <string>

#include "base/Handle_win32.h"

class CInstanceChecker {
 public:
  explicit CInstanceChecker(const wchar_t* startupMutexName);
  virtual ~CInstanceChecker();
  CInstanceChecker(const CInstanceChecker&) = delete;
  CInstanceChecker& operator=(const CInstanceChecker&) = delete;

  virtual std::wstring MappingName() const;
  virtual HWND WindowToPublish() const = 0;

  void WaitForStartupLock();
  void ReleaseStartupLock();
  bool OtherInstanceExists() const;
  // Makes this process the running instance (or, once it is, publishes its current window): true, or false
  // when nothing was published.
  bool PublishWindow();
  // Brings the running instance forward and hands it text (UTF-8): its window, or nullptr. accepted (if
  // given) tells whether the running instance took the text (its handler answered TRUE).
  HWND ActivateOtherInstance(const std::string& text, bool* accepted = nullptr);

 private:
  UniqueHandle localMutex_;
  UniqueHandle startupMutex_;
  bool startupLockHeld_ = false;
};

// The handover a running instance receives: the path the second instance was started with.
// Empty when the message carries no text; never reads past the data.
std::string HandoverText(const COPYDATASTRUCT& data);
