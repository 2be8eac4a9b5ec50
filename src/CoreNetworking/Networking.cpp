#include "CoreNetworking/Networking.hpp"

#include "CoreNetworking/Transfer.hpp"
#include "Helpers/Extensions.hpp"
#include "Helpers/HandoffTrace.hpp"
#include "Platform/WorkQueue.hpp"

#include <curl/curl.h>

#include <atomic>
#include <deque>
#include <sstream>
#include <thread>
#include <unordered_map>
#include <utility>

namespace zelvora {
namespace {

constexpr std::chrono::seconds kDefaultIdleTimeout{60};
constexpr std::chrono::minutes kDefaultCallTimeLimit{5};
// As a URL session bounds them; the calls beyond wait in libcurl's queue for a free connection.
constexpr long kMaxConnectionsPerHost = 6;
constexpr long kMaxConnections = 24;
// The largest reply the network thread reads itself: a worker's wake-up costs more than parsing
// it, and a bigger one would hold up the other transfers.
constexpr std::size_t kLargestReplyReadInPlace = 64 * 1024;

std::string escapeForShell(std::string text) {
  std::string escaped;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == '"') {
      escaped += "\\\\";
    } else if (text[i] == '"') {
      escaped += "\\\"";
    } else {
      escaped += text[i];
    }
  }
  return escaped;
}

// A command-line option with its argument in double quotes, e.g. -d "body".
std::string quotedOption(std::string_view option, std::string_view argument) {
  std::string text(option);
  text.append(option.empty() ? "\"" : " \"").append(argument).append("\"");
  return text;
}

bool isValidUtf8(const std::string& text) {
  try {
    serializeJSON(Json(text));
    return true;
  } catch (const EncodingError&) {
    return false;
  }
}

// One line of libcurl's cookie list: domain, subdomains flag, path, secure, expiry, name, value.
struct CookieLine {
  std::string domain, includeSubdomains, path, secure, expiry, name, value;

  bool appliesTo(const URLComponents& url) const {
    std::string cookieDomain = domain;
    if (cookieDomain.rfind("#HttpOnly_", 0) == 0) {
      cookieDomain.erase(0, 10);
    }
    if (!cookieDomain.empty() && cookieDomain.front() == '.') {
      cookieDomain.erase(0, 1);
    }
    const bool hostMatches =
        url.host == cookieDomain ||
        (includeSubdomains == "TRUE" && url.host.size() > cookieDomain.size() &&
         url.host.compare(url.host.size() - cookieDomain.size() - 1, std::string::npos,
                          "." + cookieDomain) == 0);
    const bool pathMatches = url.percentEncodedPath.rfind(path, 0) == 0;
    const bool schemeMatches = secure != "TRUE" || url.scheme == "https";
    return hostMatches && pathMatches && schemeMatches;
  }
};

std::optional<CookieLine> parseCookieLine(const char* text) {
  std::istringstream fields(text);
  CookieLine line;
  if (!std::getline(fields, line.domain, '\t') ||
      !std::getline(fields, line.includeSubdomains, '\t') ||
      !std::getline(fields, line.path, '\t') || !std::getline(fields, line.secure, '\t') ||
      !std::getline(fields, line.expiry, '\t') || !std::getline(fields, line.name, '\t')) {
    return std::nullopt;
  }
  std::getline(fields, line.value);
  return line;
}

}  // namespace

// ---- responses and requests

std::string HTTPURLResponse::description() const {
  return "<HTTPURLResponse: " + url + "> { Status Code: " + std::to_string(statusCode) + " }";
}

CancellableRequest::CancellableRequest(URLRequest originalRequest)
    : originalRequest_(std::move(originalRequest)) {}

void CancellableRequest::whenFinished(FinishedStep step) {
  {
    std::lock_guard lock(mutex_);
    if (!finished_) {
      pendingSteps_.push_back(std::move(step));
      return;
    }
  }
  runInBackground({std::move(step)});
}

void CancellableRequest::finish(std::optional<HTTPURLResponse> response,
                                std::optional<std::string> data, std::optional<Error> error) {
  const bool readInPlace = !data || data->size() <= kLargestReplyReadInPlace;
  std::vector<FinishedStep> steps;
  {
    std::lock_guard lock(mutex_);
    response_ = std::move(response);
    data_ = std::move(data);
    error_ = std::move(error);
    finished_ = true;
    steps.swap(pendingSteps_);
  }
  if (readInPlace) {
    runSteps(steps);
  } else if (!steps.empty()) {
    runInBackground(std::move(steps));
  }
}

std::optional<std::string> CancellableRequest::takeData() {
  std::lock_guard lock(mutex_);
  return std::exchange(data_, std::nullopt);
}

void CancellableRequest::runSteps(const std::vector<FinishedStep>& steps) {
  for (const auto& step : steps) {
    try {
      step(*this);
    } catch (...) {
      // A step reports its own failures; the next one still runs.
    }
  }
}

void CancellableRequest::runInBackground(std::vector<FinishedStep> steps) {
  platform::runInBackground(
      [self = shared_from_this(), steps = std::move(steps)] { self->runSteps(steps); });
}

std::string CancellableRequest::description() const {
  if (!originalRequest_.url) {
    return originalRequest_.method;
  }
  std::string text = originalRequest_.method + " " + originalRequest_.url->absoluteString();
  std::lock_guard lock(mutex_);
  if (response_) {
    text += " (" + std::to_string(response_->statusCode) + ")";
  }
  return text;
}

std::string CancellableRequest::cURLRepresentation() const {
  const auto& url = originalRequest_.url;
  if (!url || url->host.empty()) {
    return "$ curl command could not be created";
  }
  std::vector<std::string> components{"$ curl -i"};
  if (originalRequest_.method != "GET") {
    components.push_back("-X " + originalRequest_.method);
  }
  const auto cookies = Networking::sharedManager().cookiesFor(*url);
  if (!cookies.empty()) {
    std::string text;
    for (const auto& cookie : cookies) {
      text += cookie + ";";
    }
    text.pop_back();
    components.push_back(quotedOption("-b", text));
  }
  for (const auto& [name, value] : originalRequest_.headers.entries()) {
    if (name != "Cookie") {
      components.push_back(quotedOption("-H", name + ": " + value));
    }
  }
  if (originalRequest_.body && isValidUtf8(*originalRequest_.body)) {
    components.push_back(quotedOption("-d", escapeForShell(*originalRequest_.body)));
  }
  components.push_back(quotedOption("", url->absoluteString()));

  std::string joined = components.front();
  for (std::size_t i = 1; i < components.size(); ++i) {
    joined += " \\\n\t" + components[i];
  }
  return joined;
}

// ---- the network thread

struct Networking::Impl {
  using Transfer = internal::Transfer;

  CURLM* multi;
  CURLSH* share;
  std::mutex shareLocks[CURL_LOCK_DATA_LAST];
  std::atomic<std::chrono::milliseconds> idleTimeout{kDefaultIdleTimeout};
  std::atomic<std::chrono::milliseconds> callTimeLimit{kDefaultCallTimeLimit};
  std::atomic<std::size_t> connections{0};
  mutable std::mutex settingsMutex;
  FaultHook faultHook;
  std::optional<std::string> certificateAuthority;

  std::mutex pendingMutex;
  std::deque<std::unique_ptr<Transfer>> pending;
  std::unordered_map<CURL*, std::unique_ptr<Transfer>> active;  // the network thread's own
  bool stopping = false;
  std::thread thread;

  Impl() : multi(curl_multi_init()), share(curl_share_init()) {
    curl_multi_setopt(multi, CURLMOPT_MAX_HOST_CONNECTIONS, kMaxConnectionsPerHost);
    curl_multi_setopt(multi, CURLMOPT_MAX_TOTAL_CONNECTIONS, kMaxConnections);
    // Room to keep every one alive: the default follows how many transfers are added, so early in
    // a burst it closes connections only to open them again.
    curl_multi_setopt(multi, CURLMOPT_MAXCONNECTS, kMaxConnections);
    curl_share_setopt(share, CURLSHOPT_SHARE, CURL_LOCK_DATA_COOKIE);
    curl_share_setopt(share, CURLSHOPT_SHARE, CURL_LOCK_DATA_DNS);
    curl_share_setopt(share, CURLSHOPT_SHARE, CURL_LOCK_DATA_SSL_SESSION);
    curl_share_setopt(share, CURLSHOPT_USERDATA, this);
    curl_share_setopt(share, CURLSHOPT_LOCKFUNC, &Impl::lockShare);
    curl_share_setopt(share, CURLSHOPT_UNLOCKFUNC, &Impl::unlockShare);
    thread = std::thread([this] { run(); });
  }

  ~Impl() {
    {
      std::lock_guard lock(pendingMutex);
      stopping = true;
    }
    curl_multi_wakeup(multi);
    thread.join();
    curl_multi_cleanup(multi);
    curl_share_cleanup(share);
  }

  static void lockShare(CURL*, curl_lock_data data, curl_lock_access, void* self) {
    static_cast<Impl*>(self)->shareLocks[data].lock();
  }
  static void unlockShare(CURL*, curl_lock_data data, void* self) {
    static_cast<Impl*>(self)->shareLocks[data].unlock();
  }

  internal::TransferSettings settings() const {
    std::lock_guard lock(settingsMutex);
    return {share, idleTimeout.load(), callTimeLimit.load(), faultHook, certificateAuthority};
  }

  // Runs one step of a call's handling. Whatever it throws ends that call with the failure; the
  // thread goes on serving the others.
  template <class Step>
  void guarded(CURL* easy, Step step) noexcept {
    try {
      step();
    } catch (...) {
      try {
        complete(easy, internal::failedOutcome(internal::currentExceptionText()));
      } catch (...) {
        // Not even the failure could be handed over (memory is out): the call stays unanswered
        // rather than the thread ending.
      }
    }
  }

  // Ends the call with the outcome, once: a call already ended is left alone.
  void complete(CURL* easy, internal::TransferOutcome outcome) {
    const auto found = active.find(easy);
    if (found == active.end()) {
      return;
    }
    std::unique_ptr<Transfer> transfer = std::move(found->second);
    active.erase(found);
    transfer->detach();
    connections += static_cast<std::size_t>(transfer->connectionsOpened());
    internal::trace::mark(internal::trace::Handoff::exchangeEnded);
    transfer->request().finish(std::move(outcome.response), std::move(outcome.data),
                               std::move(outcome.error));
  }

  void start(std::unique_ptr<Transfer> transfer) {
    CURL* easy = transfer->easy();
    try {
      active.try_emplace(easy).first->second = std::move(transfer);
    } catch (...) {
      auto [response, data, error] = internal::failedOutcome(internal::currentExceptionText());
      transfer->request().finish(std::move(response), std::move(data), std::move(error));
      return;
    }
    guarded(easy, [&] { attach(easy); });
    internal::trace::mark(internal::trace::Handoff::transferStarted);
  }

  void attach(CURL* easy) {
    if (const CURLMcode code = active.at(easy)->attach(multi); code != CURLM_OK) {
      complete(easy, internal::failedOutcome(curl_multi_strerror(code)));
    }
  }

  // The exchange is over: the call either ends or goes on to where the platform redirected it.
  void afterExchange(CURL* easy, CURLcode result) {
    Transfer& transfer = *active.at(easy);
    transfer.detach();
    if (auto outcome = transfer.afterExchange(result)) {
      complete(easy, std::move(*outcome));
    } else {
      attach(easy);
    }
  }

  void addPendingTransfers() {
    std::deque<std::unique_ptr<Transfer>> added;
    {
      std::lock_guard lock(pendingMutex);
      added.swap(pending);
    }
    for (auto& transfer : added) {
      start(std::move(transfer));
    }
  }

  void completeFinishedExchanges() {
    int queued = 0;
    while (CURLMsg* message = curl_multi_info_read(multi, &queued)) {
      if (message->msg == CURLMSG_DONE) {
        CURL* easy = message->easy_handle;
        const CURLcode result = message->data.result;
        guarded(easy, [&] { afterExchange(easy, result); });
      }
    }
  }

  bool isStopping() {
    std::lock_guard lock(pendingMutex);
    return stopping;
  }

  // Ends the calls whose deadline has passed; returns when the next one is due, within a second.
  internal::Clock::time_point endOverdueCalls() {
    const auto now = internal::Clock::now();
    auto next = now + std::chrono::seconds(1);
    std::vector<CURL*> overdue;
    for (const auto& [easy, transfer] : active) {
      const auto deadline = transfer->deadline();
      if (deadline <= now) {
        overdue.push_back(easy);
      } else {
        next = std::min(next, deadline);
      }
    }
    for (CURL* easy : overdue) {
      guarded(easy, [&] { complete(easy, active.at(easy)->timedOut()); });
    }
    return next;
  }

  void serve() {
    addPendingTransfers();
    int running = 0;
    curl_multi_perform(multi, &running);
    completeFinishedExchanges();
    const auto wait =
        std::chrono::ceil<std::chrono::milliseconds>(endOverdueCalls() - internal::Clock::now());
    curl_multi_poll(multi, nullptr, 0, static_cast<int>(std::max<long long>(wait.count(), 0)),
                    nullptr);
  }

  void run() {
    while (!isStopping()) {
      try {
        serve();
      } catch (...) {
        // Each call's failures end that call (see guarded); nothing may end the thread.
      }
    }
    abandonTransfers();
  }

  // At process exit: transfers still running end without calling back.
  void abandonTransfers() { active.clear(); }
};

Networking& Networking::sharedManager() {
  static Networking shared;
  return shared;
}

Networking::Networking() {
  platform::startBackgroundWorkers();
  curl_global_init(CURL_GLOBAL_DEFAULT);
  impl_ = std::make_unique<Impl>();
}

Networking::~Networking() = default;

std::shared_ptr<CancellableRequest> Networking::request(URLRequest request) {
  auto cancellable = std::make_shared<CancellableRequest>(std::move(request));
  auto transfer = std::make_unique<internal::Transfer>(cancellable, impl_->settings());
  {
    std::lock_guard lock(impl_->pendingMutex);
    impl_->pending.push_back(std::move(transfer));
  }
  internal::trace::mark(internal::trace::Handoff::transferQueued);
  curl_multi_wakeup(impl_->multi);
  return cancellable;
}

std::vector<std::string> Networking::cookiesFor(const URLComponents& url) const {
  CURL* easy = curl_easy_init();
  curl_easy_setopt(easy, CURLOPT_SHARE, impl_->share);
  curl_slist* cookies = nullptr;
  curl_easy_getinfo(easy, CURLINFO_COOKIELIST, &cookies);
  std::vector<std::string> matching;
  for (curl_slist* entry = cookies; entry != nullptr; entry = entry->next) {
    const auto line = parseCookieLine(entry->data);
    if (line && line->appliesTo(url)) {
      matching.push_back(line->name + "=" + line->value);
    }
  }
  curl_slist_free_all(cookies);
  curl_easy_cleanup(easy);
  return matching;
}

std::size_t Networking::connectionsOpened() const {
  return impl_->connections.load();
}

void Networking::setIdleTimeoutForTesting(std::chrono::milliseconds timeout) {
  impl_->idleTimeout = timeout;
}

void Networking::setCallTimeLimitForTesting(std::chrono::milliseconds limit) {
  impl_->callTimeLimit = limit;
}

void Networking::setFaultForTesting(FaultHook hook) {
  std::lock_guard lock(impl_->settingsMutex);
  impl_->faultHook = std::move(hook);
}

void Networking::setCertificateAuthorityForTesting(std::optional<std::string> pemFile) {
  std::lock_guard lock(impl_->settingsMutex);
  impl_->certificateAuthority = std::move(pemFile);
}

void Networking::restoreDefaultsForTesting() {
  setIdleTimeoutForTesting(kDefaultIdleTimeout);
  setCallTimeLimitForTesting(kDefaultCallTimeLimit);
  setFaultForTesting(nullptr);
  setCertificateAuthorityForTesting(std::nullopt);
}

}  // namespace zelvora
