#include "CoreNetworking/Transfer.hpp"

#include "Helpers/HandoffTrace.hpp"
#include "Platform/HostOverrides.hpp"

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>

namespace zelvora::internal {
namespace {

constexpr int kMaxRedirects = 16;
// After decompression: a reply is held whole until it is parsed, and a small compressed reply can
// inflate to gigabytes.
constexpr std::size_t kMaxReplyBytes = 32 * 1024 * 1024;

// libcurl aborts a transfer when a callback returns any count other than the one it passed.
size_t abortingCount(size_t count) {
  return count == 0 ? 1 : 0;
}

bool isFollowedRedirect(long status) {
  return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

// Scheme, host and port of an absolute address, the port made explicit; none for an address
// libcurl cannot parse or whose scheme it does not speak.
std::optional<std::array<std::string, 3>> originOf(const std::string& url) {
  const std::unique_ptr<CURLU, void (*)(CURLU*)> parsed(curl_url(), &curl_url_cleanup);
  if (!parsed || curl_url_set(parsed.get(), CURLUPART_URL, url.c_str(), 0) != CURLUE_OK) {
    return std::nullopt;
  }
  std::array<std::string, 3> origin;
  const std::array<std::pair<CURLUPart, unsigned>, 3> parts{
      {{CURLUPART_SCHEME, 0}, {CURLUPART_HOST, 0}, {CURLUPART_PORT, CURLU_DEFAULT_PORT}}};
  for (std::size_t i = 0; i < parts.size(); ++i) {
    char* text = nullptr;
    if (curl_url_get(parsed.get(), parts[i].first, &text, parts[i].second) != CURLUE_OK) {
      return std::nullopt;
    }
    origin[i] = text;
    curl_free(text);
  }
  return origin;
}

bool haveSameOrigin(const std::string& url, const std::string& other) {
  const auto origin = originOf(url);
  const auto otherOrigin = originOf(other);
  return origin && otherOrigin &&
         std::equal(origin->begin(), origin->end(), otherOrigin->begin(),
                    [](const std::string& a, const std::string& b) {
                      return equalIgnoringAsciiCase(a, b);
                    });
}

// Any port of an overridden host connects to the same port of its address.
curl_slist* connectToOverrides() {
  curl_slist* list = nullptr;
  for (const auto& [host, address] : platform::hostOverrides()) {
    list = curl_slist_append(list, (host + "::" + address + ":").c_str());
  }
  return list;
}

}  // namespace

std::string curlHeaderLine(const std::string& name, const std::string& value) {
  return value.empty() ? name + ";" : name + ": " + value;
}

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
      faultHook_(settings.faultHook),
      idleTimeout_(settings.idleTimeout),
      callTimeLimit_(settings.callTimeLimit) {
  const URLRequest& sent = request_->originalRequest();
  const std::string url = sent.url->absoluteString();
  curl_easy_setopt(easy_, CURLOPT_URL, url.c_str());
  curl_easy_setopt(easy_, CURLOPT_PATH_AS_IS, 1L);
  curl_easy_setopt(easy_, CURLOPT_PROTOCOLS_STR, "http,https");
  // Not HTTP/2, which libcurl would otherwise speak wherever TLS offers it: there the platform may
  // turn a stream away unprocessed after its body went out, and libcurl then sends the request
  // again either through a rewind that rewindBody refuses, failing a request that never took
  // effect, or without one, announcing a body it no longer sends. HTTP/1.1 has no such refusal,
  // and the calls lose nothing by it: they are small and few at a time, and the pool keeps
  // several connections per host.
  curl_easy_setopt(easy_, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
  curl_easy_setopt(easy_, CURLOPT_ACCEPT_ENCODING, "");
  curl_easy_setopt(easy_, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(easy_, CURLOPT_TCP_KEEPALIVE, 1L);
  curl_easy_setopt(easy_, CURLOPT_SHARE, settings.share);
  curl_easy_setopt(easy_, CURLOPT_COOKIEFILE, "");
  curl_easy_setopt(easy_, CURLOPT_CONNECT_TO, connectTo_);
  if (settings.certificateAuthority) {
    curl_easy_setopt(easy_, CURLOPT_CAINFO, settings.certificateAuthority->c_str());
  }
  // libcurl's own clock starts connecting once a queued transfer has its turn.
  curl_easy_setopt(easy_, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(idleTimeout_.count()));
  curl_easy_setopt(easy_, CURLOPT_PREREQFUNCTION, &Transfer::requestGoesOut);
  curl_easy_setopt(easy_, CURLOPT_PREREQDATA, this);
  curl_easy_setopt(easy_, CURLOPT_ERRORBUFFER, errorBuffer_);
  curl_easy_setopt(easy_, CURLOPT_HEADERFUNCTION, &Transfer::receiveHeader);
  curl_easy_setopt(easy_, CURLOPT_HEADERDATA, this);
  curl_easy_setopt(easy_, CURLOPT_WRITEFUNCTION, &Transfer::receiveBody);
  curl_easy_setopt(easy_, CURLOPT_WRITEDATA, this);
  setMethodAndBody();
  setHeaders();
}

Transfer::~Transfer() {
  detach();
  curl_easy_cleanup(easy_);
  curl_slist_free_all(headers_);
  curl_slist_free_all(connectTo_);
}

// A POST with a body is libcurl's own POST rather than a custom method name, so that setting
// CURLOPT_HTTPGET for a redirect makes it a plain GET. The bytes sent are the same.
//
// The body goes through a read callback rather than CURLOPT_POSTFIELDS: when a reused connection
// ends before any answer, libcurl sends the request again on a fresh one, and it can only do so
// with a body it may rewind. Every request that changes the platform carries a body, so none of
// them is ever sent twice by the transport on its own.
void Transfer::setMethodAndBody() {
  const URLRequest& sent = request_->originalRequest();
  method_ = sent.method;
  if (sent.method == "GET") {
    curl_easy_setopt(easy_, CURLOPT_HTTPGET, 1L);
  } else if (sent.method != "POST" || !sent.body) {
    curl_easy_setopt(easy_, CURLOPT_CUSTOMREQUEST, sent.method.c_str());
  }
  if (sent.body) {
    curl_easy_setopt(easy_, CURLOPT_POST, 1L);
    curl_easy_setopt(easy_, CURLOPT_POSTFIELDSIZE_LARGE,
                     static_cast<curl_off_t>(sent.body->size()));
    curl_easy_setopt(easy_, CURLOPT_READFUNCTION, &Transfer::readBody);
    curl_easy_setopt(easy_, CURLOPT_READDATA, this);
    curl_easy_setopt(easy_, CURLOPT_SEEKFUNCTION, &Transfer::rewindBody);
    curl_easy_setopt(easy_, CURLOPT_SEEKDATA, this);
  }
}

size_t Transfer::readBody(char* buffer, size_t size, size_t count, void* self) {
  auto& transfer = *static_cast<Transfer*>(self);
  const std::string& body = *transfer.request_->originalRequest().body;
  const size_t length = std::min(size * count, body.size() - transfer.bodyRead_);
  std::memcpy(buffer, body.data() + transfer.bodyRead_, length);
  transfer.bodyRead_ += length;
  return length;
}

// libcurl asks for the start of a body it has read only to send the request again once its
// connection ended without an answer: the platform may have acted on it, so that is refused and
// the exchange fails. A redirect's next exchange starts the body afresh (followRedirect).
int Transfer::rewindBody(void* self, curl_off_t offset, int origin) {
  auto& transfer = *static_cast<Transfer*>(self);
  if (offset == 0 && origin == SEEK_SET && transfer.bodyRead_ == 0) {
    return CURL_SEEKFUNC_OK;
  }
  transfer.resendRefused_ = true;
  transfer.failureBeforeResend_ = transfer.errorBuffer_;
  return CURL_SEEKFUNC_CANTSEEK;
}

void Transfer::setHeaders() {
  // No "Expect: 100-continue" round trip before a body.
  headers_ = curl_slist_append(headers_, "Expect:");
  for (const auto& [name, value] : request_->originalRequest().headers.entries()) {
    headers_ = curl_slist_append(headers_, curlHeaderLine(name, value).c_str());
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
    return abortingCount(count);
  }
}

void Transfer::reachStage(Networking::TransferStage stage) const {
  if (faultHook_) {
    faultHook_(stage);
  }
}

int Transfer::requestGoesOut(void* self, char*, char*, int, int) {
  trace::mark(trace::Handoff::requestSent);
  static_cast<Transfer*>(self)->lastHeard_ = Clock::now();
  return CURL_PREREQFUNC_OK;
}

size_t Transfer::receiveHeader(char*, size_t size, size_t count, void* self) {
  trace::mark(trace::Handoff::replyArrived);
  auto& transfer = *static_cast<Transfer*>(self);
  transfer.lastHeard_ = Clock::now();
  return transfer.guardedCallback(size * count,
                                  [&] { transfer.reachStage(Networking::TransferStage::header); });
}

size_t Transfer::receiveBody(char* data, size_t size, size_t count, void* self) {
  auto& transfer = *static_cast<Transfer*>(self);
  const size_t length = size * count;
  transfer.lastHeard_ = Clock::now();
  if (length > kMaxReplyBytes - transfer.received_.size()) {
    transfer.replyTooLarge_ = true;
    return abortingCount(length);
  }
  return transfer.guardedCallback(length, [&] {
    transfer.reachStage(Networking::TransferStage::body);
    transfer.reserveForAnnouncedLength();
    transfer.received_.append(data, length);
  });
}

// A reply that announces its length (within the cap) gets its buffer once, instead of doubling its
// way there: the doubling held up to one and a half times the reply while it grew.
void Transfer::reserveForAnnouncedLength() {
  if (!received_.empty()) {
    return;
  }
  curl_off_t announced = -1;
  const bool known =
      curl_easy_getinfo(easy_, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &announced) == CURLE_OK;
  if (known && announced > 0 && static_cast<std::size_t>(announced) <= kMaxReplyBytes) {
    received_.reserve(static_cast<std::size_t>(announced));
  }
}

CURLMcode Transfer::attach(CURLM* multi) {
  const CURLMcode code = curl_multi_add_handle(multi, easy_);
  if (code == CURLM_OK) {
    multi_ = multi;
  }
  return code;
}

void Transfer::detach() {
  if (multi_ == nullptr) {
    return;
  }
  curl_multi_remove_handle(multi_, easy_);
  multi_ = nullptr;
  long opened = 0;
  curl_easy_getinfo(easy_, CURLINFO_NUM_CONNECTS, &opened);
  connectionsOpened_ += opened;
}

Clock::time_point Transfer::deadline() const {
  const Clock::time_point callDeadline = started_ + callTimeLimit_;
  return lastHeard_ ? std::min(callDeadline, *lastHeard_ + idleTimeout_) : callDeadline;
}

TransferOutcome Transfer::timedOut() const {
  const bool silent = lastHeard_ && *lastHeard_ + idleTimeout_ <= started_ + callTimeLimit_;
  const std::string detail =
      silent ? "The platform sent nothing for " + std::to_string(idleTimeout_.count()) + " ms"
             : "The call took more than its " + std::to_string(callTimeLimit_.count()) + " ms";
  return {response(), std::nullopt, Error::curl(CURLE_OPERATION_TIMEDOUT, detail)};
}

std::optional<HTTPURLResponse> Transfer::response() const {
  long status = 0;
  curl_easy_getinfo(easy_, CURLINFO_RESPONSE_CODE, &status);
  if (status == 0) {
    return std::nullopt;
  }
  char* effectiveUrl = nullptr;
  curl_easy_getinfo(easy_, CURLINFO_EFFECTIVE_URL, &effectiveUrl);
  return HTTPURLResponse{static_cast<int>(status), effectiveUrl ? effectiveUrl : ""};
}

std::optional<std::string> Transfer::redirectLocation(int status) const {
  char* location = nullptr;
  curl_easy_getinfo(easy_, CURLINFO_REDIRECT_URL, &location);
  if (!isFollowedRedirect(status) || location == nullptr) {
    return std::nullopt;
  }
  return std::string(location);
}

// As a URL session does: 303 turns any method but HEAD into a bodiless GET, 301 and 302 turn a
// POST into one, and 307 and 308 send the same method and body again.
void Transfer::followRedirect(int status, const std::string& location) {
  ++redirects_;
  received_ = std::string();
  bodyRead_ = 0;
  curl_easy_setopt(easy_, CURLOPT_URL, location.c_str());
  const bool becomesGet = (status == 303 && method_ != "HEAD") ||
                          ((status == 301 || status == 302) && method_ == "POST");
  if (becomesGet) {
    curl_easy_setopt(easy_, CURLOPT_CUSTOMREQUEST, nullptr);
    curl_easy_setopt(easy_, CURLOPT_HTTPGET, 1L);
    method_ = "GET";
  }
}

// How the connection ended before any answer, as a fresh connection would have reported it: a
// failure libcurl noted before it tried to send the request again, or an orderly end.
Error Transfer::answerLost() const {
  return failureBeforeResend_.empty() ? Error::curl(CURLE_GOT_NOTHING, "Empty reply from server")
                                      : Error::curl(CURLE_RECV_ERROR, failureBeforeResend_);
}

std::optional<TransferOutcome> Transfer::afterExchange(CURLcode result) {
  reachStage(Networking::TransferStage::completion);
  if (callbackFailed_) {
    return failedOutcome(callbackFailure_);
  }
  TransferOutcome outcome{response()};
  if (replyTooLarge_) {
    outcome.error = Error::curl(CURLE_FILESIZE_EXCEEDED, "The reply exceeded " +
                                                             std::to_string(kMaxReplyBytes >> 20) +
                                                             " MiB and was not read further");
    return outcome;
  }
  if (result != CURLE_OK && resendRefused_) {
    outcome.error = answerLost();
    return outcome;
  }
  if (result != CURLE_OK) {
    const std::string detail = errorBuffer_[0] != '\0' ? errorBuffer_ : curl_easy_strerror(result);
    outcome.error = Error::curl(result, detail);
    return outcome;
  }
  const int status = outcome.response ? outcome.response->statusCode : 0;
  if (const auto location = redirectLocation(status)) {
    if (!haveSameOrigin(*location, request_->originalRequest().url->absoluteString())) {
      outcome.error = Error::transport(
          status, "The platform answered with HTTP status " + std::to_string(status) +
                      ", a redirect away from its own address, which is not followed.");
      return outcome;
    }
    if (redirects_ == kMaxRedirects) {
      outcome.error =
          Error::curl(CURLE_TOO_MANY_REDIRECTS,
                      "Maximum (" + std::to_string(kMaxRedirects) + ") redirects followed");
      return outcome;
    }
    followRedirect(status, *location);
    return std::nullopt;
  }
  outcome.data = std::move(received_);
  return outcome;
}

}  // namespace zelvora::internal
