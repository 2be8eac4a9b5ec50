// The fake platform as a program: the local stand-in for the platform that the demo, and an app
// under development, talk to. Prints its port on one line, then serves until SIGINT or SIGTERM.
#include <csignal>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

#include "fake_platform/FakePlatform.hpp"

namespace {

struct Options {
  std::uint16_t port = 0;
  zelvora::fake::Credentials credentials{"demo-merchant", "demo-api-key", "demo-api-secret"};
  zelvora::fake::ConnectionLimits limits{};
};

void printUsage(std::ostream& out, const char* program) {
  out << "usage: " << program
      << " [--port N] [--merchant-id ID] [--api-key KEY] [--api-secret SECRET]\n"
         "       [--header-timeout SECONDS] [--body-timeout SECONDS]\n"
         "A local stand-in for the Zelvora platform: a stateful HTTP server on 127.0.0.1 that\n"
         "checks every request's headers and signature under the given credentials, with the\n"
         "event websocket on the same port (/api/client/ws/<device id>).\n"
         "  --port N        the port to listen on; 0 (the default) picks a free one\n"
         "  --merchant-id   default demo-merchant\n"
         "  --api-key       default demo-api-key\n"
         "  --api-secret    default demo-api-secret\n"
         "  --header-timeout  how long a connection may take to send a request's header,\n"
         "                  or stay idle between requests, before it is closed; default 10\n"
         "  --body-timeout  how long, once a request's header has arrived, its whole body may\n"
         "                  take to arrive before the connection is closed; default 30\n"
         "The port in use is printed on stdout; SIGINT or SIGTERM stops the server.\n";
}

[[noreturn]] void exitWithUsage(const char* program) {
  printUsage(std::cerr, program);
  std::exit(2);
}

// A decimal whole number from min to max; anything else ends the program with its usage.
long wholeNumber(const std::string& text, long min, long max, const char* program) {
  const long number = std::strtol(text.c_str(), nullptr, 10);
  if (text.empty() || text.size() > 9 ||
      text.find_first_not_of("0123456789") != std::string::npos || number < min || number > max) {
    exitWithUsage(program);
  }
  return number;
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
      options.port = static_cast<std::uint16_t>(wholeNumber(value, 0, 65535, argv[0]));
    } else if (name == "--header-timeout") {
      options.limits.headerTimeout = std::chrono::seconds(wholeNumber(value, 1, 86400, argv[0]));
    } else if (name == "--body-timeout") {
      options.limits.bodyTimeout = std::chrono::seconds(wholeNumber(value, 1, 86400, argv[0]));
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

  std::optional<zelvora::fake::FakePlatform> platform;
  try {
    platform.emplace(options.credentials, options.port, std::nullopt, options.limits);
  } catch (const std::system_error& error) {
    if (error.code() == std::errc::address_in_use) {
      std::cerr << argv[0] << ": port " << options.port << " is already in use\n";
    } else {
      std::cerr << argv[0] << ": " << error.what() << "\n";
    }
    return 1;
  }
  std::cout << platform->port() << std::endl;
  int received = 0;
  sigwait(&stopSignals, &received);
  return 0;
}
