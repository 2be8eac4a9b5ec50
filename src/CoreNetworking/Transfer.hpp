#pragma once

#include "CoreNetworking/Networking.hpp"

#include <curl/curl.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>

namespace zelvora::internal {

// What a finished call hands to its CancellableRequest.
struct TransferOutcome {
  std::optional<HTTPURLResponse> response{};
  std::optional<std::string> data{};
  std::optional<Error> error{};
};

// A header as libcurl is given it: "Name: value", or "Name;" for an empty value, which libcurl
// would otherwise drop.
std::string curlHeaderLine(const std::string& name, const std::string& value);

// A call that ends because the SDK's own handling failed (the exception's text in the error).
TransferOutcome failedOutcome(const std::string& failure);
// The text of the exception being handled; call only inside a catch block.
std::string currentExceptionText();

using Clock = std::chrono::steady_clock;

struct TransferSettings {
  CURLSH* share = nullptr;
  // How long connecting may take, and how long the platform may stay silent once the request is
  // on its way.
  std::chrono::milliseconds idleTimeout{0};
  // The whole call, from its start to its last byte, waiting for a connection and redirects
  // included.
  std::chrono::milliseconds callTimeLimit{0};
  Networking::FaultHook faultHook;
  std::optional<std::string> certificateAuthority;  // a PEM file, in place of the default bundle
};

// One call's libcurl easy handle with what it sends and what it has received. Built on the
// caller's thread; from then on used only by the network thread. A call is one exchange, or more
// when the platform redirects it within its own origin (same scheme, host and port): libcurl's
// own following would carry the signed headers and the body anywhere.
class Transfer {
 public:
  Transfer(std::shared_ptr<CancellableRequest> request, const TransferSettings& settings);
  ~Transfer();
  Transfer(const Transfer&) = delete;
  Transfer& operator=(const Transfer&) = delete;

  CURL* easy() const { return easy_; }
  CancellableRequest& request() const { return *request_; }

  // Hands the next exchange to the multi handle, or takes it back; taking back twice is harmless.
  CURLMcode attach(CURLM* multi);
  void detach();

  // Once libcurl has finished an exchange with `result`: what the call ends with, or nothing when
  // the handle is set for the redirect's next exchange.
  std::optional<TransferOutcome> afterExchange(CURLcode result);
  // When the call times out unless bytes arrive first.
  Clock::time_point deadline() const;
  // The outcome of a call whose deadline has passed.
  TransferOutcome timedOut() const;

  // TCP connections the detached exchanges opened; a reused connection does not count.
  long connectionsOpened() const { return connectionsOpened_; }

 private:
  static int requestGoesOut(void* self, char*, char*, int, int);
  static size_t receiveHeader(char* data, size_t size, size_t count, void* self);
  static size_t receiveBody(char* data, size_t size, size_t count, void* self);
  static size_t readBody(char* buffer, size_t size, size_t count, void* self);
  static int rewindBody(void* self, curl_off_t offset, int origin);
  void reserveForAnnouncedLength();
  // Runs a callback's work. An exception must not unwind through libcurl: it is noted for the
  // outcome and the callback returns a count that makes libcurl abort the transfer.
  template <class Work>
  size_t guardedCallback(size_t count, Work work) noexcept;
  void reachStage(Networking::TransferStage stage) const;
  void setMethodAndBody();
  void setHeaders();
  std::optional<HTTPURLResponse> response() const;
  // The absolute address a redirect reply points to, for a status that is followed.
  std::optional<std::string> redirectLocation(int status) const;
  void followRedirect(int status, const std::string& location);
  Error answerLost() const;

  std::shared_ptr<CancellableRequest> request_;
  CURL* easy_;
  curl_slist* headers_ = nullptr;
  curl_slist* connectTo_ = nullptr;
  const Networking::FaultHook faultHook_;
  const std::chrono::milliseconds idleTimeout_;
  const std::chrono::milliseconds callTimeLimit_;
  const Clock::time_point started_ = Clock::now();

  // The network thread's own from here on.
  CURLM* multi_ = nullptr;
  long connectionsOpened_ = 0;
  int redirects_ = 0;
  std::string method_;                          // of the current exchange
  std::optional<Clock::time_point> lastHeard_;  // the silence counted since
  std::string received_;
  std::size_t bodyRead_ = 0;    // of the current exchange, handed to libcurl
  bool resendRefused_ = false;  // libcurl wanted to send the request again
  std::string failureBeforeResend_;
  bool replyTooLarge_ = false;
  bool callbackFailed_ = false;
  std::string callbackFailure_;
  char errorBuffer_[CURL_ERROR_SIZE] = {};
};

}  // namespace zelvora::internal
