#pragma once

#include "CoreNetworking/Request/URLRequest.hpp"

#include <zelvora/Error.hpp>

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace zelvora {

struct HTTPURLResponse {
  int statusCode = 0;
  std::string url;  // where the reply came from, after redirects

  std::string description() const;
};

// One call on its way: the request as sent and, once the transfer has finished, what came back.
// Alive as long as the transfer or a step waiting for it holds it.
class CancellableRequest : public std::enable_shared_from_this<CancellableRequest> {
 public:
  using FinishedStep = std::function<void(CancellableRequest&)>;

  explicit CancellableRequest(URLRequest originalRequest);

  const URLRequest& originalRequest() const { return originalRequest_; }
  // Read these only from a FinishedStep: they are written once, before the step runs.
  const std::optional<HTTPURLResponse>& response() const { return response_; }
  const std::optional<std::string>& data() const { return data_; }
  const std::optional<Error>& error() const { return error_; }
  // Hands the body over, leaving none behind, so that the step that reads a big reply never copies
  // it. Only from a FinishedStep.
  std::optional<std::string> takeData();

  // Runs the step once the transfer has finished: on the network thread when the reply holds at
  // most 64 KiB, which is quicker than handing it over, else on a background worker, so that a big
  // parse never stalls the other transfers. A step added after the finish runs on a worker. The
  // step keeps the request alive until it has run; whatever it throws ends that step alone.
  void whenFinished(FinishedStep step);

  // "METHOD address (status)", each part only when known.
  std::string description() const;
  // The call as a curl command line.
  std::string cURLRepresentation() const;

 private:
  friend class Networking;
  void finish(std::optional<HTTPURLResponse> response, std::optional<std::string> data,
              std::optional<Error> error);
  void runSteps(const std::vector<FinishedStep>& steps);
  void runInBackground(std::vector<FinishedStep> steps);

  const URLRequest originalRequest_;
  std::optional<HTTPURLResponse> response_;
  std::optional<std::string> data_;
  std::optional<Error> error_;

  mutable std::mutex mutex_;
  bool finished_ = false;
  std::vector<FinishedStep> pendingSteps_;
};

// The process's one HTTP client: a libcurl multi handle driven by one network thread, which keeps
// connections alive for reuse, shares cookies between calls, follows redirects within the
// platform's origin and accepts compressed replies. A call fails with CURLE_OPERATION_TIMEDOUT
// when connecting takes, or the platform stays silent for, the idle timeout (60 s), and when the
// whole call takes longer than its time limit (5 minutes).
class Networking {
 public:
  static Networking& sharedManager();

  ~Networking();
  Networking(const Networking&) = delete;
  Networking& operator=(const Networking&) = delete;

  // Starts the transfer and returns at once.
  std::shared_ptr<CancellableRequest> request(URLRequest request);

  // The cookies the platform set that would go with a request to the address, as name=value.
  std::vector<std::string> cookiesFor(const URLComponents& url) const;

  // TCP connections opened so far; a kept-alive connection counts once.
  std::size_t connectionsOpened() const;

  // Shorter limits for the calls started after them.
  void setIdleTimeoutForTesting(std::chrono::milliseconds timeout);
  void setCallTimeLimitForTesting(std::chrono::milliseconds limit);

  // Where a transfer's own handling can fail on the network thread.
  enum class TransferStage { header, body, completion };
  // Called at each stage of the calls started after it is set; a throwing hook stands in for any
  // failure of the SDK's code there. Empty by default.
  using FaultHook = std::function<void(TransferStage)>;
  void setFaultForTesting(FaultHook hook);
  // The https calls started after it verify the server against the authorities in this PEM file
  // instead of the default bundle, its name and chain still checked; nullopt for the default.
  void setCertificateAuthorityForTesting(std::optional<std::string> pemFile);
  // Back to the shipped limits and trust, without a fault hook.
  void restoreDefaultsForTesting();

 private:
  Networking();
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace zelvora
