#include "net/WinInetClient.h"

#include <windows.h>
#include <wininet.h>

#include <chrono>
#include <mutex>
#include <string>
#include <vector>

#include "base/Texts.h"
#include "base/Wide_win32.h"
#include "net/HttpStatus.h"
#include "net/Redirect.h"
#include "net/WinInetErrors.h"

namespace {

// The WinInet functions the dialogs use, looked up in the library that start-up found (never linked).
struct WinInet {
  decltype(&::InternetGetConnectedState) getConnectedState = nullptr;
  decltype(&::InternetOpenW) open = nullptr;
  decltype(&::InternetConnectW) connect = nullptr;
  decltype(&::HttpOpenRequestW) openRequest = nullptr;
  decltype(&::HttpSendRequestW) sendRequest = nullptr;
  decltype(&::HttpAddRequestHeadersW) addHeaders = nullptr;
  decltype(&::HttpSendRequestExW) sendRequestEx = nullptr;
  decltype(&::InternetWriteFile) writeFile = nullptr;
  decltype(&::HttpEndRequestW) endRequest = nullptr;
  decltype(&::HttpQueryInfoW) queryInfo = nullptr;
  decltype(&::HttpQueryInfoA) queryInfoBytes = nullptr;
  decltype(&::InternetReadFile) readFile = nullptr;
  decltype(&::InternetCloseHandle) closeHandle = nullptr;
  decltype(&::InternetSetOptionW) setOption = nullptr;

  bool Complete() const {
    return getConnectedState && open && connect && openRequest && sendRequest && addHeaders && sendRequestEx &&
           writeFile && endRequest && queryInfo && queryInfoBytes && readFile && closeHandle && setOption;
  }
};

template <typename Function>
void Find(HMODULE module, const char* name, Function& function) {
  function = reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

const WinInet* Functions() {
  static const WinInet functions = [] {
    WinInet table;
    HMODULE module = ::LoadLibraryW(L"WININET.DLL");
    if (!module) return table;
    Find(module, "InternetGetConnectedState", table.getConnectedState);
    if (!table.getConnectedState) return table;
    Find(module, "InternetOpenW", table.open);
    Find(module, "InternetConnectW", table.connect);
    Find(module, "HttpOpenRequestW", table.openRequest);
    Find(module, "HttpSendRequestW", table.sendRequest);
    Find(module, "HttpAddRequestHeadersW", table.addHeaders);
    Find(module, "HttpSendRequestExW", table.sendRequestEx);
    Find(module, "InternetWriteFile", table.writeFile);
    Find(module, "HttpEndRequestW", table.endRequest);
    Find(module, "HttpQueryInfoW", table.queryInfo);
    Find(module, "HttpQueryInfoA", table.queryInfoBytes);
    Find(module, "InternetReadFile", table.readFile);
    Find(module, "InternetCloseHandle", table.closeHandle);
    Find(module, "InternetSetOptionW", table.setOption);
    return table;
  }();
  return functions.Complete() ? &functions : nullptr;
}

constexpr DWORD_PTR kContext = 1;
constexpr DWORD kReadChunk = 4096;
constexpr DWORD kStatusTextChars = 1024;
// A status text longer than this is not read at all (what is shown of it is far shorter).
constexpr DWORD kMaxStatusTextChars = 64 * 1024;
// A server that stalls or drips cannot hold a request: each step fails after this long without progress,
// the whole request (redirects included) after kRequestTime.
constexpr DWORD kStepTimeoutMs = 15000;
constexpr std::chrono::seconds kRequestTime(60);
// Never from a cache, never following a redirect on WinInet's own (it knows no end).
constexpr DWORD kGetFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_AUTO_REDIRECT;
// Asked in HTTP/1.0, a server answers with Content-Length (or until it closes), never in chunks: not every
// WinInet tells a chunked answer that broke off from a whole one, so a GET must never get one.
constexpr const wchar_t* kGetVersion = L"HTTP/1.0";
// A redirected form never reached its script: the redirect's status is the answer.
constexpr DWORD kPostFlags = INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_NO_AUTO_REDIRECT;

class WinInetClient final : public IHttpClient {
 public:
  explicit WinInetClient(const WinInet& api) : api_(api) {}
  ~WinInetClient() override { CloseAll(); }

  HttpReply Get(const ServerAddress& server, std::string_view path) override {
    const auto deadline = std::chrono::steady_clock::now() + kRequestTime;
    RequestTarget target{server, std::string(path)};
    for (int redirects = 0;; ++redirects) {
      HttpReply reply;
      if (!Open(target.server, L"GET", target.path, kGetVersion, kGetFlags, reply)) return reply;
      HINTERNET request = Handle(request_);
      if (!api_.sendRequest(request, nullptr, 0, nullptr, 0)) return Fail(reply, kTextCannotSendHttpRequest);
      ReadStatus(request, reply);
      if (IsRedirectStatus(reply.status) && redirects < kMaxRedirects) {
        std::optional<RequestTarget> next = RedirectTarget(target.server, QueryText(request, HTTP_QUERY_LOCATION));
        if (next && std::chrono::steady_clock::now() < deadline) {
          CloseAll();
          target = std::move(*next);
          continue;
        }
      }
      return ReadBody(request, deadline, reply);
    }
  }

  HttpReply Post(const ServerAddress& server, std::string_view path, std::string_view body) override {
    HttpReply reply;
    if (!Open(server, L"POST", path, nullptr, kPostFlags, reply)) return reply;
    HINTERNET request = Handle(request_);
    std::wstring header = Wide(kFeedbackContentTypeHeader);
    if (!api_.addHeaders(request, header.c_str(), static_cast<DWORD>(-1L),
                         HTTP_ADDREQ_FLAG_ADD | HTTP_ADDREQ_FLAG_REPLACE)) {
      return Fail(reply, kTextCannotAddRequestHeaders);
    }
    INTERNET_BUFFERSW buffers{};
    buffers.dwStructSize = sizeof buffers;
    buffers.dwBufferTotal = static_cast<DWORD>(body.size());
    if (!api_.sendRequestEx(request, &buffers, nullptr, 0, kContext)) return Fail(reply, kTextCannotSendHttpRequest);
    DWORD written = 0;
    if (!api_.writeFile(request, body.data(), static_cast<DWORD>(body.size()), &written) || written != body.size()) {
      return Fail(reply, kTextCannotCompleteTransfer);
    }
    if (!api_.endRequest(request, nullptr, 0, kContext)) return Fail(reply, kTextCannotEndHttpRequest);
    ReadStatus(request, reply);
    CloseAll();
    return reply;
  }

  void Abort() override {
    std::lock_guard<std::mutex> lock(mutex_);
    aborted_ = true;
    CloseLocked();
  }

 private:
  bool Open(const ServerAddress& server, const wchar_t* verb, std::string_view path, const wchar_t* version,
            DWORD flags, HttpReply& reply) {
    if (!Keep(session_, api_.open(Wide(kUserAgent).c_str(), INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0))) {
      Fail(reply, kTextCannotInitInternet);
      return false;
    }
    SetTimeouts(Handle(session_));
    if (!Keep(connection_, api_.connect(Handle(session_), Wide(server.host).c_str(), server.port, nullptr, nullptr,
                                        INTERNET_SERVICE_HTTP, 0, kContext))) {
      Fail(reply, kTextCannotOpenHttpSession);
      return false;
    }
    if (!Keep(request_, api_.openRequest(Handle(connection_), verb, Wide(path).c_str(), version, nullptr, nullptr,
                                         flags, kContext))) {
      Fail(reply, kTextCannotOpenHttpRequest);
      return false;
    }
    SetTimeouts(Handle(request_));
    return true;
  }

  // On the session for the connection, on the request for its send and receive.
  void SetTimeouts(HINTERNET handle) {
    DWORD timeout = kStepTimeoutMs;
    for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT}) {
      api_.setOption(handle, option, &timeout, sizeof timeout);
    }
  }

  // The body up to its end, the deadline or the size limit. An answer that ends before the length it
  // announced was cut off: a failed request, not a shorter file.
  HttpReply& ReadBody(HINTERNET request, std::chrono::steady_clock::time_point deadline, HttpReply& reply) {
    // A chunked answer to an HTTP/1.0 request breaks the protocol, and whether it is whole cannot be told.
    if (IsSuccessStatus(reply.status) && !QueryText(request, HTTP_QUERY_TRANSFER_ENCODING).empty()) {
      ::SetLastError(ERROR_HTTP_INVALID_SERVER_RESPONSE);
      return Fail(reply, kTextCannotCompleteTransfer);
    }
    std::vector<char> chunk(kReadChunk);
    uint64_t received = 0;
    for (;;) {
      if (std::chrono::steady_clock::now() >= deadline) {
        ::SetLastError(ERROR_INTERNET_TIMEOUT);
        return Fail(reply, kTextCannotCompleteTransfer);
      }
      DWORD read = 0;
      const auto readStart = std::chrono::steady_clock::now();
      if (!api_.readFile(request, chunk.data(), kReadChunk, &read)) {
        // Not every WinInet says why a read that waited out the receive time-out failed.
        if (std::chrono::steady_clock::now() - readStart >= std::chrono::milliseconds(kStepTimeoutMs * 9 / 10)) {
          ::SetLastError(ERROR_INTERNET_TIMEOUT);
        }
        return Fail(reply, kTextCannotCompleteTransfer);
      }
      received += read;
      if (read == 0) break;
      if (!reply.body.Append(std::string_view(chunk.data(), read))) {
        CloseAll();
        return reply;
      }
    }
    DWORD length = 0;
    DWORD size = sizeof length;
    if (api_.queryInfo(request, HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, &length, &size, nullptr) &&
        received != length) {
      ::SetLastError(ERROR_INTERNET_CONNECTION_ABORTED);
      return Fail(reply, kTextCannotCompleteTransfer);
    }
    CloseAll();
    return reply;
  }

  void ReadStatus(HINTERNET request, HttpReply& reply) {
    DWORD code = 0;
    DWORD size = sizeof code;
    if (!api_.queryInfo(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &code, &size, nullptr)) return;
    reply.status = static_cast<int>(code);
    reply.statusText = StatusText(request);
  }

  // The server's own bytes when they are UTF-8 text; otherwise the text as the system's code page reads it
  // (how WinInet keeps it).
  std::string StatusText(HINTERNET request) {
    std::vector<char> bytes(kStatusTextChars + 1, '\0');
    DWORD size = kStatusTextChars;
    if (api_.queryInfoBytes(request, HTTP_QUERY_STATUS_TEXT, bytes.data(), &size, nullptr) && size <= kStatusTextChars) {
      std::string_view text(bytes.data(), size);
      if (IsPlainText(text)) return std::string(text);
    }
    return QueryText(request, HTTP_QUERY_STATUS_TEXT);
  }

  // A header's text; a long one is read whole (up to kMaxStatusTextChars), so that its start can be shown.
  std::string QueryText(HINTERNET request, DWORD what) {
    std::vector<wchar_t> text(kStatusTextChars + 1, L'\0');
    DWORD bytes = kStatusTextChars * sizeof(wchar_t);
    if (!api_.queryInfo(request, what, text.data(), &bytes, nullptr)) {
      if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER || bytes > kMaxStatusTextChars * sizeof(wchar_t)) return {};
      text.assign(bytes / sizeof(wchar_t) + 1, L'\0');
      if (!api_.queryInfo(request, what, text.data(), &bytes, nullptr)) return {};
    }
    return Narrow(std::wstring_view(text.data(), bytes / sizeof(wchar_t)));
  }

  HttpReply& Fail(HttpReply& reply, const char* stepText) {
    reply.failure = WinInetErrorText(::GetLastError(), stepText);
    CloseAll();
    return reply;
  }

  // Stores a new handle unless the request was aborted meanwhile (then it is closed at once).
  bool Keep(HINTERNET& slot, HINTERNET handle) {
    DWORD error = ::GetLastError();  // the failed call's, whatever the lock does
    std::lock_guard<std::mutex> lock(mutex_);
    if (handle && aborted_) {
      api_.closeHandle(handle);
      ::SetLastError(ERROR_INTERNET_OPERATION_CANCELLED);
      return false;
    }
    slot = handle;
    ::SetLastError(error);
    return handle != nullptr;
  }

  HINTERNET Handle(HINTERNET& slot) {
    std::lock_guard<std::mutex> lock(mutex_);
    return slot;
  }

  void CloseAll() {
    std::lock_guard<std::mutex> lock(mutex_);
    CloseLocked();
  }

  // Closing a handle ends a blocking call on it in the worker's thread.
  void CloseLocked() {
    for (HINTERNET* slot : {&request_, &connection_, &session_}) {
      if (*slot) api_.closeHandle(*slot);
      *slot = nullptr;
    }
  }

  const WinInet& api_;
  std::mutex mutex_;
  bool aborted_ = false;
  HINTERNET session_ = nullptr;
  HINTERNET connection_ = nullptr;
  HINTERNET request_ = nullptr;
};

// Used when WinInet cannot be used at all: every request fails as the first step would.
class AbsentClient final : public IHttpClient {
 public:
  HttpReply Get(const ServerAddress&, std::string_view) override { return Failed(); }
  HttpReply Post(const ServerAddress&, std::string_view, std::string_view) override { return Failed(); }
  void Abort() override {}

 private:
  static HttpReply Failed() {
    HttpReply reply;
    reply.failure = kTextCannotInitInternet;
    return reply;
  }
};

}  // namespace

bool InternetConnected() {
  const WinInet* api = Functions();
  DWORD flags = 0;
  return api && api->getConnectedState(&flags, 0);
}

std::unique_ptr<IHttpClient> MakeWinInetClient() {
  if (const WinInet* api = Functions()) return std::make_unique<WinInetClient>(*api);
  return std::make_unique<AbsentClient>();
}
