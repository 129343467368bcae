#pragma once
// One request to the server, behind a seam: WinInet on Windows (WinInetClient_win32.cpp), doubles in the
// tests. A client serves one request at a time on the worker's thread; Abort comes from the dialog's.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "net/ResponseBody.h"
#include "net/Server.h"

struct HttpReply {
  // Set when the request failed before an answer was read: the message for the user.
  std::optional<std::string> failure;
  std::optional<int> status;  // nullopt: the answer's status could not be read
  std::string statusText;
  ResponseBody body;
};

class IHttpClient {
 public:
  virtual ~IHttpClient() = default;
  // GET path from the server, never from a cache; the body as far as it was read.
  virtual HttpReply Get(const ServerAddress& server, std::string_view path) = 0;
  // POST body as an application/x-www-form-urlencoded form; the answer's body is not read.
  virtual HttpReply Post(const ServerAddress& server, std::string_view path, std::string_view body) = 0;
  // From any thread: a request in progress fails as soon as the system lets it, later ones at once.
  virtual void Abort() = 0;
};

using HttpClientFactory = std::function<std::unique_ptr<IHttpClient>()>;

// What a GET dialog shows instead of the answer: the failure, the status error ("HTTP 请求失败 (%d: %s)"),
// or the refusal of the body, each cut to limit bytes; nullopt when the body may be parsed.
std::optional<std::string> GetProblem(const HttpReply& reply, std::size_t limit);
// The same for the feedback form, whose answer's body is never read.
std::optional<std::string> PostProblem(const HttpReply& reply, std::size_t limit);
