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

// A call that ends because the SDK's own handling failed (the exception's text in the error).
TransferOutcome failedOutcome(const std::string& failure);
// The text of the exception being handled; call only inside a catch block.
std::string currentExceptionText();

struct TransferSettings {
  CURLSH* share = nullptr;
  std::chrono::milliseconds idleTimeout{0};
  Networking::FaultHook faultHook;
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
  // TCP connections the detached exchanges opened; a reused connection does not count.
  long connectionsOpened() const { return connectionsOpened_; }

 private:
  static size_t receiveHeader(char* data, size_t size, size_t count, void* self);
  static size_t receiveBody(char* data, size_t size, size_t count, void* self);
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

  std::shared_ptr<CancellableRequest> request_;
  CURL* easy_;
  CURLM* multi_ = nullptr;
  long connectionsOpened_ = 0;
  int redirects_ = 0;
  std::string method_;  // of the current exchange
  curl_slist* headers_ = nullptr;
  curl_slist* connectTo_ = nullptr;
  Networking::FaultHook faultHook_;
  std::string received_;
  bool replyTooLarge_ = false;
  bool callbackFailed_ = false;
  std::string callbackFailure_;
  char errorBuffer_[CURL_ERROR_SIZE] = {};
};

}  // namespace zelvora::internal
