#include "CoreNetworking/Transfer.hpp"

#include "Platform/HostOverrides.hpp"

namespace zelvora::internal {
namespace {

// Any port of an overridden host connects to the same port of its address.
curl_slist* connectToOverrides() {
  curl_slist* list = nullptr;
  for (const auto& [host, address] : platform::hostOverrides()) {
    list = curl_slist_append(list, (host + "::" + address + ":").c_str());
  }
  return list;
}

}  // namespace

std::string currentExceptionText() {
  try {
    throw;
  } catch (const std::exception& error) {
    return error.what();
  } catch (...) {
    return "an exception of unknown type";
  }
}

TransferOutcome failedOutcome(const std::string& failure) {
  return {
      std::nullopt, std::nullopt,
      Error::curl(CURLE_ABORTED_BY_CALLBACK, "The SDK failed handling the transfer: " + failure)};
}

Transfer::Transfer(std::shared_ptr<CancellableRequest> request, const TransferSettings& settings)
    : request_(std::move(request)),
      easy_(curl_easy_init()),
      connectTo_(connectToOverrides()),
      faultHook_(settings.faultHook) {
  const URLRequest& sent = request_->originalRequest();
  const std::string url = sent.url->absoluteString();
  const long idleSeconds =
      static_cast<long>(std::chrono::ceil<std::chrono::seconds>(settings.idleTimeout).count());
  curl_easy_setopt(easy_, CURLOPT_URL, url.c_str());
  curl_easy_setopt(easy_, CURLOPT_PATH_AS_IS, 1L);
  curl_easy_setopt(easy_, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(easy_, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(easy_, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(easy_, CURLOPT_ACCEPT_ENCODING, "");
  curl_easy_setopt(easy_, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(easy_, CURLOPT_TCP_KEEPALIVE, 1L);
  curl_easy_setopt(easy_, CURLOPT_SHARE, settings.share);
  curl_easy_setopt(easy_, CURLOPT_COOKIEFILE, "");
  curl_easy_setopt(easy_, CURLOPT_CONNECT_TO, connectTo_);
  curl_easy_setopt(easy_, CURLOPT_CONNECTTIMEOUT, idleSeconds);
  curl_easy_setopt(easy_, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(easy_, CURLOPT_LOW_SPEED_TIME, idleSeconds);
  curl_easy_setopt(easy_, CURLOPT_ERRORBUFFER, errorBuffer_);
  curl_easy_setopt(easy_, CURLOPT_HEADERFUNCTION, &Transfer::receiveHeader);
  curl_easy_setopt(easy_, CURLOPT_HEADERDATA, this);
  curl_easy_setopt(easy_, CURLOPT_WRITEFUNCTION, &Transfer::receiveBody);
  curl_easy_setopt(easy_, CURLOPT_WRITEDATA, this);
  setMethodAndBody();
  setHeaders();
}

Transfer::~Transfer() {
  curl_easy_cleanup(easy_);
  curl_slist_free_all(headers_);
  curl_slist_free_all(connectTo_);
}

void Transfer::setMethodAndBody() {
  const URLRequest& sent = request_->originalRequest();
  if (sent.method == "GET") {
    curl_easy_setopt(easy_, CURLOPT_HTTPGET, 1L);
  } else {
    curl_easy_setopt(easy_, CURLOPT_CUSTOMREQUEST, sent.method.c_str());
  }
  if (sent.body) {
    // The request outlives the handle, so libcurl may read the body where it is.
    curl_easy_setopt(easy_, CURLOPT_POSTFIELDSIZE_LARGE,
                     static_cast<curl_off_t>(sent.body->size()));
    curl_easy_setopt(easy_, CURLOPT_POSTFIELDS, sent.body->data());
  }
}

void Transfer::setHeaders() {
  // No "Expect: 100-continue" round trip before a body.
  headers_ = curl_slist_append(headers_, "Expect:");
  for (const auto& [name, value] : request_->originalRequest().headers.entries()) {
    // "Name;" is how libcurl sends a header with an empty value.
    const std::string line = value.empty() ? name + ";" : name + ": " + value;
    headers_ = curl_slist_append(headers_, line.c_str());
  }
  curl_easy_setopt(easy_, CURLOPT_HTTPHEADER, headers_);
}

template <class Work>
size_t Transfer::guardedCallback(size_t count, Work work) noexcept {
  try {
    work();
    return count;
  } catch (...) {
    callbackFailed_ = true;
    try {
      callbackFailure_ = currentExceptionText();
    } catch (...) {
      // The outcome reports the failure without its text.
    }
    // libcurl aborts when a callback's count differs from the one it passed.
    return count == 0 ? 1 : 0;
  }
}

void Transfer::reachStage(Networking::TransferStage stage) const {
  if (faultHook_) {
    faultHook_(stage);
  }
}

size_t Transfer::receiveHeader(char*, size_t size, size_t count, void* self) {
  auto& transfer = *static_cast<Transfer*>(self);
  return transfer.guardedCallback(size * count,
                                  [&] { transfer.reachStage(Networking::TransferStage::header); });
}

size_t Transfer::receiveBody(char* data, size_t size, size_t count, void* self) {
  auto& transfer = *static_cast<Transfer*>(self);
  return transfer.guardedCallback(size * count, [&] {
    transfer.reachStage(Networking::TransferStage::body);
    transfer.received_.append(data, size * count);
  });
}

TransferOutcome Transfer::outcome(CURLcode result) {
  reachStage(Networking::TransferStage::completion);
  if (callbackFailed_) {
    return failedOutcome(callbackFailure_);
  }
  TransferOutcome outcome;
  long status = 0;
  curl_easy_getinfo(easy_, CURLINFO_RESPONSE_CODE, &status);
  if (status != 0) {
    char* effectiveUrl = nullptr;
    curl_easy_getinfo(easy_, CURLINFO_EFFECTIVE_URL, &effectiveUrl);
    outcome.response = HTTPURLResponse{static_cast<int>(status), effectiveUrl ? effectiveUrl : ""};
  }
  if (result != CURLE_OK) {
    const std::string detail = errorBuffer_[0] != '\0' ? errorBuffer_ : curl_easy_strerror(result);
    outcome.error = Error::curl(result, detail);
  }
  if (!received_.empty() || result == CURLE_OK) {
    outcome.data = std::move(received_);
  }
  return outcome;
}

long Transfer::connectionsOpened() const {
  long opened = 0;
  curl_easy_getinfo(easy_, CURLINFO_NUM_CONNECTS, &opened);
  return opened;
}

}  // namespace zelvora::internal
