#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fake_platform/FakePlatform.hpp"

namespace zelvora::fake {

// The scripted replies in the order they were added. Not synchronised: its owner locks.
class ScriptBook {
 public:
  void add(std::string method, std::string path, ScriptedReply reply);
  void clear();
  // The reply of the latest script matching the request, using up one of its turns.
  std::optional<ScriptedReply> take(std::string_view method, std::string_view decodedPath);

 private:
  struct Script {
    std::string method;
    std::string path;
    ScriptedReply reply;
    bool matches(std::string_view requestMethod, std::string_view decodedPath) const;
  };
  std::vector<Script> scripts_;
};

}  // namespace zelvora::fake
