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
  std::optional<HTTPURLResponse> response;
  std::optional<std::string> data;
  std::optional<Error> error;
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
// caller's thread; from then on used only by the network thread.
class Transfer {
 public:
  Transfer(std::shared_ptr<CancellableRequest> request, const TransferSettings& settings);
  ~Transfer();
  Transfer(const Transfer&) = delete;
  Transfer& operator=(const Transfer&) = delete;

  CURL* easy() const { return easy_; }
  CancellableRequest& request() const { return *request_; }

  // What the call ends with, now that libcurl has finished its exchange with `result`.
  TransferOutcome outcome(CURLcode result);
  // TCP connections the exchanges opened; a reused connection does not count.
  long connectionsOpened() const;

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

  std::shared_ptr<CancellableRequest> request_;
  CURL* easy_;
  curl_slist* headers_ = nullptr;
  curl_slist* connectTo_ = nullptr;
  Networking::FaultHook faultHook_;
  std::string received_;
  bool callbackFailed_ = false;
  std::string callbackFailure_;
  char errorBuffer_[CURL_ERROR_SIZE] = {};
};

}  // namespace zelvora::internal
