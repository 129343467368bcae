#include "net/HttpClient.h"

#include "net/HttpStatus.h"

std::optional<std::string> PostProblem(const HttpReply& reply, std::size_t limit) {
  if (reply.failure) return LimitText(*reply.failure, limit);
  return HttpStatusError(reply.status, reply.statusText, limit);
}

std::optional<std::string> GetProblem(const HttpReply& reply, std::size_t limit) {
  if (std::optional<std::string> problem = PostProblem(reply, limit)) return problem;
  return reply.body.Problem();
}
