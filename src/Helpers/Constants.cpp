#include "Helpers/Constants.hpp"

#include <mutex>

namespace zelvora {

namespace {
struct AddressSetting {
  std::mutex mutex;
  ServerAddress address{std::string(Constants::defaultUrlScheme),
                        std::string(Constants::defaultHost), Constants::defaultHostPort};
};

// Never destroyed: threads that outlive main() may still build addresses.
AddressSetting& setting() {
  static auto* const instance = new AddressSetting;
  return *instance;
}
}  // namespace

ServerAddress Constants::serverAddress() {
  auto& s = setting();
  std::lock_guard lock(s.mutex);
  return s.address;
}

void Constants::setServerAddress(ServerAddress address) {
  auto& s = setting();
  std::lock_guard lock(s.mutex);
  s.address = std::move(address);
}

}  // namespace zelvora
