#include "fake_platform/Replies.hpp"

namespace zelvora::fake {

HttpResponse jsonReply(const nlohmann::json& body, int status) {
  return HttpResponse{status, {}, body.dump()};
}

HttpResponse messageError(int status, std::string_view error, std::string_view tag,
                          std::string_view message) {
  return jsonReply({{"status", "error"}, {"error", error}, {"tag", tag}, {"message", message}},
                   status);
}

HttpResponse parameterError(std::string_view param, std::string_view error) {
  return jsonReply({{"status", "error"},
                    {"error", "bad-request"},
                    {"errors", nlohmann::json::array({{{"param", param}, {"error", error}}})}},
                   400);
}

HttpResponse notFound(std::string_view tag, std::string_view message) {
  return messageError(404, "not-found", tag, message);
}

HttpResponse unauthorized(std::string_view tag, std::string_view message) {
  return messageError(401, "unauthorized", tag, message);
}

HttpResponse conflict(std::string_view tag, std::string_view message) {
  return messageError(409, "conflict", tag, message);
}

}  // namespace zelvora::fake
