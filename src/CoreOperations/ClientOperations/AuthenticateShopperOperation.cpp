#include "CoreOperations/ClientOperations/AuthenticateShopperOperation.hpp"

#include "InternalWebSocketListener.hpp"

namespace zelvora::internal {

std::shared_ptr<Session> createSessionFromAuthenticatedSession(
    const AuthenticatedSession& authSession) {
  auto session = std::make_shared<Session>();
  session->created = authSession.created;
  session->deviceId = authSession.deviceId;
  session->id = authSession.id;
  session->isActive = authSession.isActive;
  session->merchantAuthToken = authSession.merchantAuthToken;
  session->merchantId = authSession.merchantId;
  session->shopperId = authSession.shopperId;
  session->token = authSession.token;
  if (authSession.state) {
    session->state = enumFromRawValue<Session::State>(rawValue(*authSession.state));
  }
  return session;
}

std::shared_ptr<Session> StoreAuthenticatedSession::record(
    const std::shared_ptr<AuthenticatedSession>& reply) {
  if (!reply) {
    return StoreState::get(&StoreValues::session).copy();
  }
  auto session = createSessionFromAuthenticatedSession(*reply);
  StoreState::set(&StoreValues::session, session);
  return session;
}

void StoreAuthenticatedSession::afterHandOver() {
  connectEventListenerAfterAuthentication();
}

}  // namespace zelvora::internal
