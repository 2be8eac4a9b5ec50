// The fake platform as a program: the local stand-in for the platform that the demo, and an app
// under development, talk to. Prints its port on one line, then serves until SIGINT or SIGTERM.
#include <csignal>
#include <cstdlib>
#include <iostream>
#include <string>
#include <string_view>

#include "fake_platform/FakePlatform.hpp"

namespace {

struct Options {
  std::uint16_t port = 0;
  zelvora::fake::Credentials credentials{"demo-merchant", "demo-api-key", "demo-api-secret"};
};

void printUsage(std::ostream& out, const char* program) {
  out << "usage: " << program
      << " [--port N] [--merchant-id ID] [--api-key KEY] [--api-secret SECRET]\n"
         "A local stand-in for the Zelvora platform: a stateful HTTP server on 127.0.0.1 that\n"
         "checks every request's headers and signature under the given credentials, with the\n"
         "event websocket on the same port (/api/client/ws/<device id>).\n"
         "  --port N        the port to listen on; 0 (the default) picks a free one\n"
         "  --merchant-id   default demo-merchant\n"
         "  --api-key       default demo-api-key\n"
         "  --api-secret    default demo-api-secret\n"
         "The port in use is printed on stdout; SIGINT or SIGTERM stops the server.\n";
}

[[noreturn]] void exitWithUsage(const char* program) {
  printUsage(std::cerr, program);
  std::exit(2);
}

Options parseOptions(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string_view name = argv[i];
    if (name == "--help" || name == "-h") {
      printUsage(std::cout, argv[0]);
      std::exit(0);
    }
    if (i + 1 >= argc) {
      exitWithUsage(argv[0]);
    }
    const std::string value = argv[++i];
    if (name == "--port") {
      const long port = std::strtol(value.c_str(), nullptr, 10);
      if (port < 0 || port > 65535 || value.find_first_not_of("0123456789") != std::string::npos) {
        exitWithUsage(argv[0]);
      }
      options.port = static_cast<std::uint16_t>(port);
    } else if (name == "--merchant-id") {
      options.credentials.merchantId = value;
    } else if (name == "--api-key") {
      options.credentials.apiKey = value;
    } else if (name == "--api-secret") {
      options.credentials.apiSecret = value;
    } else {
      exitWithUsage(argv[0]);
    }
  }
  return options;
}

}  // namespace

int main(int argc, char** argv) {
  const Options options = parseOptions(argc, argv);
  // Blocked before the server's thread starts, so that only sigwait below receives them.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

  zelvora::fake::FakePlatform platform(options.credentials, options.port);
  std::cout << platform.port() << std::endl;
  int received = 0;
  sigwait(&stopSignals, &received);
  return 0;
}
