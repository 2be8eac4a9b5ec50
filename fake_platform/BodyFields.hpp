#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

// Reading a request body's fields; a missing or mistyped field rejects the request with the
// platform's "errors" form naming it.
namespace zelvora::fake {

// Rejects the request, naming the field and what is wrong with it.
[[noreturn]] void rejectField(std::string_view key, std::string_view problem);

// The body as a JSON object; anything else, or a body nested too deep to handle, rejects.
nlohmann::json parsedBody(const std::string& body);
std::string requiredString(const nlohmann::json& body, std::string_view key);
std::string requiredNonEmptyString(const nlohmann::json& body, std::string_view key);
std::int64_t requiredInteger(const nlohmann::json& body, std::string_view key);
// The field when it is present and not null; a field of another JSON type than expected rejects.
const nlohmann::json* optionalField(const nlohmann::json& body, std::string_view key,
                                    nlohmann::json::value_t expected);

}  // namespace zelvora::fake
