#include "fake_platform/BodyFields.hpp"

#include "fake_platform/Replies.hpp"

namespace zelvora::fake {
namespace {

// Deeper than any body the platform takes, and shallow enough for the recursive copies, compares
// and dumps of a parsed document.
constexpr std::size_t kMaxNesting = 64;

const nlohmann::json& presentField(const nlohmann::json& body, std::string_view key) {
  auto found = body.find(key);
  if (found == body.end() || found->is_null()) {
    rejectField(key, "is required");
  }
  return *found;
}

// Counts brackets outside strings, without parsing: well-formed or not, a text that opens more
// arrays and objects than the limit before closing them is refused.
bool nestsDeeperThan(std::string_view text, std::size_t limit) {
  std::size_t depth = 0;
  bool inString = false;
  bool escaped = false;
  for (const char c : text) {
    if (inString) {
      inString = escaped || c != '"';
      escaped = !escaped && c == '\\';
    } else if (c == '"') {
      inString = true;
    } else if (c == '[' || c == '{') {
      if (++depth > limit) {
        return true;
      }
    } else if ((c == ']' || c == '}') && depth > 0) {
      --depth;
    }
  }
  return false;
}

}  // namespace

void rejectField(std::string_view key, std::string_view problem) {
  throw Rejection{parameterError(key, problem)};
}

nlohmann::json parsedBody(const std::string& body) {
  if (nestsDeeperThan(body, kMaxNesting)) {
    rejectField("body", "nests arrays and objects deeper than " + std::to_string(kMaxNesting));
  }
  nlohmann::json parsed = nlohmann::json::parse(body, nullptr, false);
  if (!parsed.is_object()) {
    rejectField("body", "must be a JSON object");
  }
  return parsed;
}

std::string requiredString(const nlohmann::json& body, std::string_view key) {
  const nlohmann::json& field = presentField(body, key);
  if (!field.is_string()) {
    rejectField(key, "must be a string");
  }
  return field.get<std::string>();
}

std::string requiredNonEmptyString(const nlohmann::json& body, std::string_view key) {
  std::string text = requiredString(body, key);
  if (text.empty()) {
    rejectField(key, "must not be empty");
  }
  return text;
}

std::int64_t requiredInteger(const nlohmann::json& body, std::string_view key) {
  const nlohmann::json& field = presentField(body, key);
  if (!field.is_number_integer()) {
    rejectField(key, "must be a whole number");
  }
  return field.get<std::int64_t>();
}

const nlohmann::json* optionalField(const nlohmann::json& body, std::string_view key,
                                    nlohmann::json::value_t expected) {
  auto found = body.find(key);
  if (found == body.end() || found->is_null()) {
    return nullptr;
  }
  if (found->type() != expected) {
    rejectField(key, std::string("must be of type ") + nlohmann::json(expected).type_name());
  }
  return &*found;
}

}  // namespace zelvora::fake
