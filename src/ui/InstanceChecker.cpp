#include "ui/InstanceChecker.h"

#include "base/Texts.h"
#include "base/Utf.h"
#include "base/Wide_win32.h"

namespace {

// The section exists exactly as long as the first instance runs: its handle is kept until the process ends.
HANDLE publishedSection = nullptr;

class MutexLock {
 public:
  explicit MutexLock(HANDLE mutex) : mutex_(mutex) { ::WaitForSingleObject(mutex_, INFINITE); }
  ~MutexLock() { ::ReleaseMutex(mutex_); }
  MutexLock(const MutexLock&) = delete;
  MutexLock& operator=(const MutexLock&) = delete;

 private:
  HANDLE mutex_;
};

}  // namespace

CInstanceChecker::CInstanceChecker(const wchar_t* startupMutexName)
    : localMutex_(::CreateMutexW(nullptr, FALSE, nullptr)),
      startupMutex_(::CreateMutexW(nullptr, FALSE, startupMutexName)) {}

CInstanceChecker::~CInstanceChecker() { ReleaseStartupLock(); }

std::wstring CInstanceChecker::MappingName() const {
  return L"CInstanceChecker_MMF_" + Wide(TextOf(kTextAppTitle));
}

void CInstanceChecker::WaitForStartupLock() {
  if (startupMutex_.Valid() && !startupLockHeld_) {
    DWORD result = ::WaitForSingleObject(startupMutex_.Get(), INFINITE);
    // An instance that died holding the lock leaves it abandoned: it is ours now all the same.
    startupLockHeld_ = result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
  }
}

void CInstanceChecker::ReleaseStartupLock() {
  if (startupLockHeld_) {
    ::ReleaseMutex(startupMutex_.Get());
    startupLockHeld_ = false;
  }
}

bool CInstanceChecker::OtherInstanceExists() const {
  return UniqueHandle(::OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, MappingName().c_str())).Valid();
}

bool CInstanceChecker::PublishWindow() {
  // A program that shows one window after another publishes each in turn in its own section.
  if (!publishedSection) {
    if (OtherInstanceExists()) return false;
    publishedSection = ::CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4, MappingName().c_str());
    if (!publishedSection) return false;
  }
  void* view = ::MapViewOfFile(publishedSection, FILE_MAP_WRITE, 0, 0, 4);
  MutexLock lock(localMutex_.Get());
  if (view) {
    // Window handles are 32-bit values on every Windows, also in 64-bit processes.
    *static_cast<volatile uint32_t*>(view) = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(WindowToPublish()));
    ::UnmapViewOfFile(view);
  }
  ReleaseStartupLock();
  return true;
}

HWND CInstanceChecker::ActivateOtherInstance(const std::string& text, bool* accepted) {
  if (accepted) *accepted = false;
  UniqueHandle section(::OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, MappingName().c_str()));
  if (!section.Valid()) return nullptr;
  void* view = ::MapViewOfFile(section.Get(), FILE_MAP_WRITE, 0, 0, 4);
  if (!view) {
    ReleaseStartupLock();
    return nullptr;
  }
  MutexLock lock(localMutex_.Get());
  uint32_t value = *static_cast<volatile uint32_t*>(view);
  HWND window = reinterpret_cast<HWND>(static_cast<uintptr_t>(static_cast<int32_t>(value)));
  if (window) {
    HWND popup = ::GetLastActivePopup(window);
    if (::IsIconic(window)) ::ShowWindow(window, SW_RESTORE);
    ::SetForegroundWindow(popup ? popup : window);
    if (!text.empty()) {
      COPYDATASTRUCT data{};
      data.dwData = 0;
      data.cbData = static_cast<DWORD>(text.size() + 1);
      data.lpData = const_cast<char*>(text.c_str());
      LRESULT reply = ::SendMessageW(window, WM_COPYDATA, 1, reinterpret_cast<LPARAM>(&data));
      if (accepted) *accepted = reply != FALSE;
    }
  }
  ::UnmapViewOfFile(view);
  return window;
}

std::string HandoverText(const COPYDATASTRUCT& data) {
  if (!data.lpData || data.cbData == 0) return {};
  const char* bytes = static_cast<const char*>(data.lpData);
  std::size_t length = 0;
  while (length < data.cbData && bytes[length] != '\0') ++length;  // never past the data we were given
  return std::string(bytes, length);
}
