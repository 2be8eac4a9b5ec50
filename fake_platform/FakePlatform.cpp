#include "fake_platform/FakePlatform.hpp"

#include <deque>
#include <exception>
#include <mutex>

#include "fake_platform/EventSocket.hpp"
#include "fake_platform/Http.hpp"
#include "fake_platform/PlatformState.hpp"
#include "fake_platform/Replies.hpp"
#include "fake_platform/RequestChecks.hpp"
#include "fake_platform/Scripts.hpp"
#include "fake_platform/Signing.hpp"

namespace zelvora::fake {
namespace {

HttpResponse scriptedResponse(const ScriptedReply& script) {
  return HttpResponse{
      script.status.value_or(200), {}, script.body.value_or(""), script.streamedBody};
}

Reaction scriptedReaction(const ScriptedReply& script, HttpResponse response) {
  response.headers.insert(script.headers.begin(), script.headers.end());
  Reaction reaction{.response = std::move(response), .delay = script.delay};
  if (script.dropConnection) {
    reaction.kind = Reaction::Kind::dropConnection;
  } else if (script.resetConnection) {
    reaction.kind = Reaction::Kind::resetConnection;
  } else if (script.noReply) {
    reaction.kind = Reaction::Kind::noReply;
  }
  return reaction;
}

RecordedRequest recordOf(const HttpRequest& request, std::string path, bool signatureValid) {
  return {request.method,
          request.target,
          std::move(path),
          request.headers,
          request.body.substr(0, RecordedRequest::kKeptBodyBytes),
          request.body.size(),
          signatureValid};
}

}  // namespace

struct FakePlatform::Impl {
  Impl(Credentials platformCredentials, std::uint16_t port, const std::optional<TlsIdentity>& tls,
       ConnectionLimits limits)
      : credentials(std::move(platformCredentials)),
        state(credentials.merchantId),
        server(
            port, [this](HttpRequest request) { return react(std::move(request)); }, tls, limits) {}

  Reaction react(HttpRequest request) {
    if (isEventSocketUpgrade(request)) {
      return Reaction{.kind = Reaction::Kind::handOver,
                      .response = {},
                      .delay = {},
                      .handOver = [this, request](std::shared_ptr<HandedOverConnection> taken) {
                        events.adopt(std::move(taken), request);
                      }};
    }
    const bool signatureValid = hasValidSignature(request, credentials);
    const std::string path = decodedPathOf(request.target);
    std::lock_guard lock(mutex);
    record(recordOf(request, path, signatureValid));
    const std::optional<ScriptedReply> script = scripts.take(request.method, path);
    if (!script) {
      return Reaction{.response = platformAnswer(request, signatureValid)};
    }
    // Without a canned status or body the platform still acts on the request, as a real one
    // whose answer gets lost would.
    const bool canned = script->status || script->body || script->streamedBody;
    return scriptedReaction(
        *script, canned ? scriptedResponse(*script) : platformAnswer(request, signatureValid));
  }

  void record(RecordedRequest request) {
    if (log.size() == RecordedRequest::kKeptRequests) {
      log.pop_front();
    }
    log.push_back(std::move(request));
  }

  HttpResponse platformAnswer(const HttpRequest& request, bool signatureValid) {
    if (auto rejection = headerRejection(request, credentials, signatureValid)) {
      return *rejection;
    }
    try {
      HttpResponse answer = state.handle(request);
      if (answer.status == 200) {
        for (auto& event : state.eventsAfter(request)) {
          events.pushTextTo(event.deviceId, std::move(event.text));
        }
      }
      return answer;
    } catch (const std::exception& error) {
      return messageError(500, "internal", "fake-platform", error.what());
    }
  }

  const Credentials credentials;
  mutable std::mutex mutex;
  std::deque<RecordedRequest> log;
  ScriptBook scripts;
  PlatformState state;
  EventSocketServer events;
  // Last, so that it stops before anything its handler touches goes away.
  HttpServer server;
};

FakePlatform::FakePlatform(Credentials credentials, std::uint16_t port,
                           const std::optional<TlsIdentity>& tls, ConnectionLimits limits)
    : impl_(std::make_unique<Impl>(std::move(credentials), port, tls, limits)) {}

FakePlatform::~FakePlatform() = default;

std::uint16_t FakePlatform::port() const {
  return impl_->server.port();
}

const Credentials& FakePlatform::credentials() const {
  return impl_->credentials;
}

std::size_t FakePlatform::connectionsAccepted() const {
  return impl_->server.connectionsAccepted();
}

std::vector<RecordedRequest> FakePlatform::requests() const {
  std::lock_guard lock(impl_->mutex);
  return {impl_->log.begin(), impl_->log.end()};
}

void FakePlatform::clearRequests() {
  std::lock_guard lock(impl_->mutex);
  impl_->log.clear();
}

void FakePlatform::script(std::string method, std::string path, ScriptedReply reply) {
  std::lock_guard lock(impl_->mutex);
  impl_->scripts.add(std::move(method), std::move(path), std::move(reply));
}

void FakePlatform::clearScripts() {
  std::lock_guard lock(impl_->mutex);
  impl_->scripts.clear();
}

std::optional<std::string> FakePlatform::shopperIdFor(std::string_view merchantShopperId) const {
  std::lock_guard lock(impl_->mutex);
  return impl_->state.shopperIdFor(merchantShopperId);
}

std::vector<std::string> FakePlatform::paymentInstrumentIds(std::string_view shopperId) const {
  std::lock_guard lock(impl_->mutex);
  return impl_->state.paymentInstrumentIds(shopperId);
}

std::optional<std::string> FakePlatform::basketState(std::string_view basketId) const {
  std::lock_guard lock(impl_->mutex);
  return impl_->state.basketState(basketId);
}

EventSocketServer& FakePlatform::events() {
  return impl_->events;
}

bool FakePlatform::cancelTransaction(std::string_view basketId) {
  std::lock_guard lock(impl_->mutex);
  auto event = impl_->state.cancelTransaction(basketId);
  if (event) {
    impl_->events.pushTextTo(event->deviceId, std::move(event->text));
  }
  return event.has_value();
}

}  // namespace zelvora::fake
