#include "fake_platform/Scripts.hpp"

#include <algorithm>

#include "fake_platform/Text.hpp"

namespace zelvora::fake {

bool ScriptBook::Script::matches(std::string_view requestMethod,
                                 std::string_view decodedPath) const {
  const bool methodMatches = method == "*" || upperCase(method) == requestMethod;
  const bool pathMatches =
      path.ends_with('*')
          ? decodedPath.starts_with(std::string_view(path).substr(0, path.size() - 1))
          : decodedPath == path;
  return methodMatches && pathMatches;
}

void ScriptBook::add(std::string method, std::string path, ScriptedReply reply) {
  if (reply.times == 0) {
    return;
  }
  scripts_.push_back({std::move(method), std::move(path), std::move(reply)});
}

void ScriptBook::clear() {
  scripts_.clear();
}

std::optional<ScriptedReply> ScriptBook::take(std::string_view method,
                                              std::string_view decodedPath) {
  const std::string requestMethod = upperCase(method);
  auto latest = std::find_if(scripts_.rbegin(), scripts_.rend(), [&](const Script& script) {
    return script.matches(requestMethod, decodedPath);
  });
  if (latest == scripts_.rend()) {
    return std::nullopt;
  }
  ScriptedReply reply = latest->reply;
  if (latest->reply.times > 0 && --latest->reply.times == 0) {
    scripts_.erase(std::next(latest).base());
  }
  return reply;
}

}  // namespace zelvora::fake
