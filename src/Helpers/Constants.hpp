#pragma once

#include <string>
#include <string_view>

namespace zelvora {

// Where the platform is: the scheme ("https" or "http"), the host name and the port.
struct ServerAddress {
  std::string scheme;
  std::string host;
  int port = 0;

  friend bool operator==(const ServerAddress&, const ServerAddress&) = default;
};

// The platform address settings, process-wide. initialize writes them from its "host" setting; the
// REST client and the event listener read them each time they build an address. The three are
// always read and written together, so no reader sees the scheme of one setting with the host or
// port of another.
class Constants {
 public:
  Constants() = delete;

  static constexpr std::string_view defaultUrlScheme = "https";
  static constexpr std::string_view defaultHost = "api.zelvora.com";
  static constexpr int defaultHostPort = 443;

  // ZelvoraUrlScheme, ZelvoraHost and ZelvoraHostPort of one moment.
  static ServerAddress serverAddress();
  static void setServerAddress(ServerAddress address);
};

}  // namespace zelvora
