// The fake platform as the program an app developer starts: it ends plainly when its port is
// taken, and clients that hold connections without sending cannot keep it from serving others.
#include "fake_platform/Http.hpp"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/write.hpp>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace zelvora::fake {
namespace {

namespace asio = boost::asio;
using tcp = asio::ip::tcp;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

bool waitUntil(Clock::time_point deadline, const std::function<bool()>& done) {
  while (!done()) {
    if (Clock::now() >= deadline) {
      return false;
    }
    std::this_thread::sleep_for(10ms);
  }
  return true;
}

// Whether the server has closed its end: the next read finds the end of the stream, or a reset.
bool closedByServer(tcp::socket& client) {
  char byte = 0;
  const ssize_t read = recv(client.native_handle(), &byte, 1, MSG_DONTWAIT);
  return read == 0 || (read < 0 && errno != EAGAIN);
}

// The program as a child process that writes its output and its errors into one pipe, and that
// dies with the test.
class PlatformProgram {
 public:
  explicit PlatformProgram(std::vector<std::string> options) {
    options.insert(options.begin(), ZELVORA_FAKE_PLATFORM_PROGRAM);
    std::vector<char*> argv;
    for (auto& option : options) {
      argv.push_back(option.data());
    }
    argv.push_back(nullptr);
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0 || (pid_ = fork()) < 0) {
      throw std::runtime_error("cannot start the program");
    }
    if (pid_ == 0) {  // only async-signal-safe calls until exec
      prctl(PR_SET_PDEATHSIG, SIGKILL);
      dup2(ends[1], STDOUT_FILENO);
      dup2(ends[1], STDERR_FILENO);
      execv(argv[0], argv.data());
      _exit(127);
    }
    close(ends[1]);
    output_ = ends[0];
  }

  ~PlatformProgram() {
    if (!reaped_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    close(output_);
  }

  pid_t pid() const { return pid_; }

  // The first line it writes: its port when it serves.
  std::string firstLine() {
    std::string line;
    pollfd readable{output_, POLLIN, 0};
    char c = 0;
    while (poll(&readable, 1, 10'000) == 1 && read(output_, &c, 1) == 1 && c != '\n') {
      line += c;
    }
    return line;
  }

  // Its exit status, once it has ended of itself within 10 s.
  std::optional<int> exitStatus() {
    int status = 0;
    reaped_ =
        waitUntil(Clock::now() + 10s, [&] { return waitpid(pid_, &status, WNOHANG) == pid_; });
    return reaped_ && WIFEXITED(status) ? std::optional(WEXITSTATUS(status)) : std::nullopt;
  }

  std::size_t openDescriptors() const {
    std::error_code ignored;
    return std::distance(std::filesystem::directory_iterator(procPath("fd"), ignored), {});
  }

  // User and system time spent so far: the 14th and 15th fields of its stat.
  std::chrono::milliseconds cpuTime() const {
    std::ifstream file(procPath("stat"));
    const std::string stat((std::istreambuf_iterator<char>(file)), {});
    long long user = 0;
    long long system = 0;
    std::sscanf(stat.c_str() + stat.rfind(')') + 1,
                " %*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %lld %lld", &user, &system);
    return std::chrono::milliseconds((user + system) * 1000 / sysconf(_SC_CLK_TCK));
  }

 private:
  std::string procPath(const char* entry) const {
    return "/proc/" + std::to_string(pid_) + "/" + entry;
  }

  pid_t pid_ = -1;
  int output_ = -1;
  bool reaped_ = false;
};

TEST(FakePlatformProgram, APortInUseIsNamedAndEndsTheProgramWithStatusOne) {
  asio::io_context io;
  const tcp::acceptor holder(io, {asio::ip::address_v4::loopback(), 0});
  const std::string port = std::to_string(holder.local_endpoint().port());

  PlatformProgram program({"--port", port});

  EXPECT_THAT(program.firstLine(), ::testing::EndsWith(": port " + port + " is already in use"));
  EXPECT_EQ(program.exitStatus(), 1);
}

// Out of descriptors, the server neither spins on its accepts nor waits on silent clients for
// ever: it closes them once their time for a header is up, and the next request is served.
TEST(FakePlatformProgram, SilentClientsAtTheDescriptorLimitAreClosedWithoutSpinning) {
  constexpr std::size_t kDescriptors = 64;
  PlatformProgram program({"--port", "0", "--header-timeout", "1"});
  const auto port = static_cast<std::uint16_t>(std::stoi(program.firstLine()));
  const rlimit limit{kDescriptors, kDescriptors};
  ASSERT_EQ(prlimit(program.pid(), RLIMIT_NOFILE, &limit, nullptr), 0);

  asio::io_context io;
  std::vector<tcp::socket> clients;
  for (std::size_t i = 0; i < kDescriptors + 16; ++i) {
    tcp::socket& client = clients.emplace_back(io);
    client.connect({asio::ip::address_v4::loopback(), port});
    if (i % 2 == 1) {
      asio::write(client, asio::buffer(std::string_view("GET /api/client/session HTTP/1.1\r\n")));
    }
  }
  ASSERT_TRUE(
      waitUntil(Clock::now() + 10s, [&] { return program.openDescriptors() >= kDescriptors; }));
  const auto cpuBefore = program.cpuTime();
  const auto start = Clock::now();

  const Exchange health = HttpClient(port).send({"GET", "/api/client/session/s", {}, ""}, 10s);

  EXPECT_EQ(health.outcome, Exchange::Outcome::replied);
  const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
  EXPECT_LT(program.cpuTime() - cpuBefore, waited / 4) << "in " << waited.count() << " ms";
  EXPECT_TRUE(waitUntil(Clock::now() + 10s, [&] {
    return std::all_of(clients.begin(), clients.end(), closedByServer);
  }));
}

// A whole header whose body never comes, or comes short of what it announced, holds its
// connection no longer than the body's time allows, and the server goes on serving.
TEST(FakePlatformProgram, ARequestWhoseBodyStopsShortIsClosedOnceItsTimeIsUp) {
  const std::string header =
      "POST /api/client/basket HTTP/1.1\r\nHost: platform.test\r\nContent-Type: "
      "application/json\r\n";
  const struct {
    const char* name;
    std::string request;
  } cases[] = {
      {"no body at all", header + "Content-Length: 20\r\n\r\n"},
      {"10 bytes of 256 MiB", header + "Content-Length: 268435456\r\n\r\n0123456789"},
  };
  PlatformProgram program({"--port", "0", "--header-timeout", "1", "--body-timeout", "1"});
  const auto port = static_cast<std::uint16_t>(std::stoi(program.firstLine()));
  asio::io_context io;

  for (const auto& stopsShort : cases) {
    SCOPED_TRACE(stopsShort.name);
    tcp::socket client(io);
    client.connect({asio::ip::address_v4::loopback(), port});
    asio::write(client, asio::buffer(stopsShort.request));

    EXPECT_TRUE(waitUntil(Clock::now() + 3s, [&] { return closedByServer(client); }));
    const Exchange next = HttpClient(port).send({"GET", "/api/client/session/s", {}, ""}, 10s);
    EXPECT_EQ(next.outcome, Exchange::Outcome::replied);
  }
}

}  // namespace
}  // namespace zelvora::fake
