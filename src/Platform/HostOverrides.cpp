#include "Platform/HostOverrides.hpp"

#include <cstdlib>
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

}  // namespace

const std::map<std::string, std::string>& hostOverrides() {
  static const std::map<std::string, std::string> overrides = readOverrides();
  return overrides;
}

}  // namespace zelvora::platform
