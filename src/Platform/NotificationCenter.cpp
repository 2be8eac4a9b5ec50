#include <zelvora/NotificationCenter.hpp>

#include <map>
#include <mutex>
#include <vector>

namespace zelvora {

struct NotificationCenter::Impl {
  struct Registration {
    std::string name;
    std::shared_ptr<const Observer> observer;
  };

  std::mutex mutex;
  Token lastToken = 0;
  std::map<Token, Registration> registrations;  // tokens grow: map order is the order added
};

NotificationCenter& NotificationCenter::defaultCenter() {
  // Never destroyed: observers may be posted to from threads that outlive main().
  static auto* const center = new NotificationCenter;
  return *center;
}

NotificationCenter::NotificationCenter() : impl_(std::make_unique<Impl>()) {}

NotificationCenter::~NotificationCenter() = default;

NotificationCenter::Token NotificationCenter::addObserver(std::string name, Observer observer) {
  std::lock_guard lock(impl_->mutex);
  const Token token = ++impl_->lastToken;
  impl_->registrations.emplace(
      token,
      Impl::Registration{std::move(name), std::make_shared<const Observer>(std::move(observer))});
  return token;
}

void NotificationCenter::removeObserver(Token token) {
  std::lock_guard lock(impl_->mutex);
  impl_->registrations.erase(token);
}

void NotificationCenter::post(std::string_view name) {
  // Called outside the lock, so that an observer may add, remove or post itself.
  std::vector<std::shared_ptr<const Observer>> observers;
  {
    std::lock_guard lock(impl_->mutex);
    for (const auto& [token, registration] : impl_->registrations) {
      if (registration.name == name) {
        observers.push_back(registration.observer);
      }
    }
  }
  for (const auto& observer : observers) {
    try {
      (*observer)();
    } catch (...) {
      // One observer's failure is not the poster's, nor the other observers'.
    }
  }
}

}  // namespace zelvora
