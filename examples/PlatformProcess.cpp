#include "PlatformProcess.hpp"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <optional>

namespace {

constexpr int kStartTimeoutMilliseconds = 10000;

// Runs in the forked child, where only async-signal-safe calls are allowed before exec.
[[noreturn]] void execPlatform(const char* program, pid_t parent, int output) {
  // Stop with us even if we are killed before we can stop it.
  prctl(PR_SET_PDEATHSIG, SIGTERM);
  if (getppid() != parent || dup2(output, STDOUT_FILENO) < 0) {
    _exit(126);
  }
  execl(program, program, "--port", "0", static_cast<char*>(nullptr));
  _exit(127);
}

// The first line the child prints, read within the start time-out.
std::optional<std::string> readFirstLine(int input) {
  std::string line;
  pollfd readable{input, POLLIN, 0};
  char c = 0;
  while (poll(&readable, 1, kStartTimeoutMilliseconds) == 1 && read(input, &c, 1) == 1) {
    if (c == '\n') {
      return line;
    }
    line += c;
  }
  return std::nullopt;
}

std::optional<std::uint16_t> parsePort(const std::string& text) {
  std::uint16_t port = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), port);
  if (error != std::errc() || end != text.data() + text.size() || port == 0) {
    return std::nullopt;
  }
  return port;
}

void stop(pid_t pid) {
  kill(pid, SIGTERM);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
}

}  // namespace

std::unique_ptr<PlatformProcess> PlatformProcess::start(const std::string& program) {
  int pipeEnds[2];
  if (pipe2(pipeEnds, O_CLOEXEC) != 0) {
    return nullptr;
  }
  const pid_t parent = getpid();
  const pid_t pid = fork();
  if (pid == 0) {
    execPlatform(program.c_str(), parent, pipeEnds[1]);
  }
  close(pipeEnds[1]);
  if (pid < 0) {
    close(pipeEnds[0]);
    return nullptr;
  }
  const auto line = readFirstLine(pipeEnds[0]);
  close(pipeEnds[0]);
  const auto port = line ? parsePort(*line) : std::nullopt;
  if (!port) {
    stop(pid);
    return nullptr;
  }
  return std::unique_ptr<PlatformProcess>(new PlatformProcess(pid, *port));
}

PlatformProcess::~PlatformProcess() {
  stop(pid_);
}
