#include "net/HttpClient.h"

#include "base/Texts.h"
#include "net/HttpStatus.h"

std::optional<std::string> PostProblem(const HttpReply& reply, std::size_t limit) {
  if (reply.failure) return LimitText(*reply.failure, limit);
  // Status 0: the connection closed before any answer came.
  if (reply.status == 0) return std::string(kTextInternetConnectionAborted);
  return HttpStatusError(reply.status, reply.statusText, limit);
}

std::optional<std::string> GetProblem(const HttpReply& reply, std::size_t limit) {
  if (std::optional<std::string> problem = PostProblem(reply, limit)) return problem;
  if (std::optional<std::string> problem = reply.body.Problem()) return problem;
  // Both files begin with a line the dialogs need: an empty answer is no answer.
  if (reply.body.Text().empty()) return std::string(kTextAnswerEmpty);
  return std::nullopt;
}
