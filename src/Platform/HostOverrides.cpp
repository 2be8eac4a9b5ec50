#include "Platform/HostOverrides.hpp"

#include <cstdlib>
#include <mutex>
#include <sstream>

namespace zelvora::platform {
namespace {

std::map<std::string, std::string> readOverrides() {
  std::map<std::string, std::string> overrides;
  const char* setting = std::getenv("ZELVORA_RESOLVE");
  std::istringstream entries(setting != nullptr ? setting : "");
  for (std::string entry; std::getline(entries, entry, ',');) {
    const auto equals = entry.find('=');
    if (equals != std::string::npos && equals > 0 && equals + 1 < entry.size()) {
      overrides.emplace(entry.substr(0, equals), entry.substr(equals + 1));
    }
  }
  return overrides;
}

struct Overrides {
  std::mutex mutex;
  std::map<std::string, std::string> byHost = readOverrides();
};

// Never destroyed: the websocket I/O thread, which runs until the process ends, reads it while it
// connects, also during and after exit.
Overrides& overrides() {
  static auto* const instance = new Overrides;
  return *instance;
}

}  // namespace

std::map<std::string, std::string> hostOverrides() {
  std::lock_guard lock(overrides().mutex);
  return overrides().byHost;
}

void overrideHostForTesting(const std::string& host, const std::string& address) {
  std::lock_guard lock(overrides().mutex);
  overrides().byHost[host] = address;
}

}  // namespace zelvora::platform
