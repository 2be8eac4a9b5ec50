#pragma once

#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <string>

// A fake platform running as a child process on a loopback port. It stops when this object is
// destroyed, and also when this process dies first.
class PlatformProcess {
 public:
  // Starts the program and waits for the port it prints; absent when it does not start.
  static std::unique_ptr<PlatformProcess> start(const std::string& program);

  PlatformProcess(const PlatformProcess&) = delete;
  PlatformProcess& operator=(const PlatformProcess&) = delete;
  ~PlatformProcess();

  std::uint16_t port() const { return port_; }

 private:
  PlatformProcess(pid_t pid, std::uint16_t port) : pid_(pid), port_(port) {}

  pid_t pid_;
  std::uint16_t port_;
};
