#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace zelvora::platform {

// The device the SDK runs on.
class Device {
 public:
  virtual ~Device() = default;
  // An upper-case UUID that stays the same for this user across runs; absent when it cannot be
  // kept (no writable data directory).
  virtual std::optional<std::string> identifierForVendor() = 0;
};

// The user's data directory: $XDG_DATA_HOME when it is an absolute path, else ~/.local/share
// ($HOME, else the password database); absent when neither is known.
std::optional<std::filesystem::path> xdgDataHome();

// Keeps the identifier in "<data directory>/zelvora/identifierForVendor", created on first use with
// a random (version 4) UUID. Processes that start at once agree on one identifier; a file that does
// not hold a UUID is replaced. Nothing here throws.
class PersistentDevice final : public Device {
 public:
  using DataDirectory = std::function<std::optional<std::filesystem::path>()>;

  explicit PersistentDevice(DataDirectory dataDirectory = xdgDataHome);
  std::optional<std::string> identifierForVendor() override;

 private:
  std::optional<std::string> loadOrCreate();

  DataDirectory dataDirectory_;
  std::mutex mutex_;
  std::optional<std::string> identifier_;
};

// The process's device (a PersistentDevice).
std::shared_ptr<Device> device();

// Replaces the process's device; for tests. Pass nullptr to return to the real one.
void setDeviceForTesting(std::shared_ptr<Device> device);

}  // namespace zelvora::platform
