#include "Platform/Device.hpp"
#include "Platform/Replaceable.hpp"

#include <fcntl.h>
#include <pwd.h>
#include <unistd.h>

#include <array>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>

namespace zelvora::platform {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t uuidLength = 36;

bool isUuid(const std::string& text) {
  if (text.size() != uuidLength)
    return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const bool dash = i == 8 || i == 13 || i == 18 || i == 23;
    if (dash ? text[i] != '-' : !std::isxdigit(static_cast<unsigned char>(text[i])))
      return false;
  }
  return true;
}

std::string upperCase(std::string text) {
  for (char& c : text)
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

std::string newUuid() {
  std::random_device random;
  std::array<unsigned char, 16> bytes{};
  for (auto& byte : bytes)
    byte = static_cast<unsigned char>(random() & 0xFF);
  bytes[6] = static_cast<unsigned char>((bytes[6] & 0x0F) | 0x40);  // version 4
  bytes[8] = static_cast<unsigned char>((bytes[8] & 0x3F) | 0x80);  // RFC 4122 variant
  std::string text;
  char hex[3];
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (i == 4 || i == 6 || i == 8 || i == 10)
      text.push_back('-');
    std::snprintf(hex, sizeof hex, "%02X", bytes[i]);
    text.append(hex);
  }
  return text;
}

// The UUID the file holds (surrounding white space ignored), upper-cased.
std::optional<std::string> readIdentifier(const fs::path& path) {
  std::ifstream file(path);
  if (!file)
    return std::nullopt;
  std::string text;
  file >> text;
  if (!isUuid(text))
    return std::nullopt;
  return upperCase(text);
}

bool writeFile(const fs::path& path, const std::string& text) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0)
    return false;
  const std::string line = text + "\n";
  const bool written = ::write(fd, line.data(), line.size()) == static_cast<ssize_t>(line.size());
  return ::close(fd) == 0 && written;
}

}  // namespace

std::optional<fs::path> xdgDataHome() {
  if (const char* data = std::getenv("XDG_DATA_HOME");
      data && *data && fs::path(data).is_absolute())
    return fs::path(data);
  if (const char* home = std::getenv("HOME"); home && *home)
    return fs::path(home) / ".local" / "share";
  if (const passwd* entry = ::getpwuid(::getuid()); entry && entry->pw_dir && *entry->pw_dir) {
    return fs::path(entry->pw_dir) / ".local" / "share";
  }
  return std::nullopt;
}

PersistentDevice::PersistentDevice(DataDirectory dataDirectory)
    : dataDirectory_(std::move(dataDirectory)) {}

std::optional<std::string> PersistentDevice::identifierForVendor() {
  std::lock_guard lock(mutex_);
  if (!identifier_) {
    try {
      identifier_ = loadOrCreate();
    } catch (...) {
      return std::nullopt;
    }
  }
  return identifier_;
}

std::optional<std::string> PersistentDevice::loadOrCreate() {
  const auto base = dataDirectory_ ? dataDirectory_() : std::nullopt;
  if (!base)
    return std::nullopt;
  const fs::path directory = *base / "zelvora";
  const fs::path path = directory / "identifierForVendor";
  if (auto identifier = readIdentifier(path))
    return identifier;

  std::error_code error;
  fs::create_directories(directory, error);
  if (error)
    return std::nullopt;

  // Written whole under a private name, then linked into place: link() never replaces a file, so
  // of several processes creating the identifier at once, the first to link wins and the others
  // read its identifier.
  const std::string identifier = newUuid();
  std::ostringstream temporaryName;
  temporaryName << ".identifierForVendor." << ::getpid() << "." << identifier;
  const fs::path temporary = directory / temporaryName.str();
  if (!writeFile(temporary, identifier)) {
    fs::remove(temporary, error);
    return std::nullopt;
  }
  std::optional<std::string> result;
  if (::link(temporary.c_str(), path.c_str()) == 0) {
    result = identifier;
  } else if (errno == EEXIST && (result = readIdentifier(path))) {
    // Another process was first.
  } else if (::rename(temporary.c_str(), path.c_str()) == 0) {
    // The file held no identifier (or the file system cannot link): replace it.
    return identifier;
  }
  fs::remove(temporary, error);
  return result;
}

namespace {
Replaceable<Device, PersistentDevice>& holder() {
  static auto* const instance = new Replaceable<Device, PersistentDevice>;
  return *instance;
}
}  // namespace

std::shared_ptr<Device> device() {
  return holder().get();
}

void setDeviceForTesting(std::shared_ptr<Device> device) {
  holder().replace(std::move(device));
}

}  // namespace zelvora::platform
