#pragma once

#include <string_view>

#include <nlohmann/json.hpp>

#include "fake_platform/Http.hpp"

// The platform's answers: JSON bodies, and its two error forms, the "errors" list naming the
// parameter at fault and the single "message" with its tag.
namespace zelvora::fake {

HttpResponse jsonReply(const nlohmann::json& body, int status = 200);

HttpResponse messageError(int status, std::string_view error, std::string_view tag,
                          std::string_view message);
HttpResponse parameterError(std::string_view param, std::string_view error);

HttpResponse notFound(std::string_view tag, std::string_view message);
HttpResponse unauthorized(std::string_view tag, std::string_view message);
HttpResponse conflict(std::string_view tag, std::string_view message);

// Thrown by a request handler that answers with an error instead of its result.
struct Rejection {
  HttpResponse response;
};

}  // namespace zelvora::fake
