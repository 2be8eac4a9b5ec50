#pragma once

#include "APIs/ClientCore.hpp"
#include "Conditions/SessionExists.hpp"
#include "CoreOperations/ClientOperation.hpp"

#include <zelvora/models/AuthenticatedSession.hpp>
#include <zelvora/models/Session.hpp>

namespace zelvora::internal {

// The session the SDK keeps for the platform's authentication reply: a new object with every
// field of the reply but its location info, the state carried over by its text.
std::shared_ptr<Session> createSessionFromAuthenticatedSession(
    const AuthenticatedSession& authSession);

// The converted session replaces the stored one (a value-less reply keeps the stored one) and is
// what the app receives, as a copy of its own; only then is the event listener connected, so that
// the app knows its session before any event about it can arrive.
struct StoreAuthenticatedSession {
  static std::shared_ptr<Session> record(const std::shared_ptr<AuthenticatedSession>& reply);
  static void afterHandOver();
};

// Authenticates the merchant's shopper into the stored session, creating a session first when
// none usable is stored.
using AuthenticateShopperOperation =
    ClientOperation<&ClientCore::authenticateShopper, SessionExists, StoreAuthenticatedSession>;

}  // namespace zelvora::internal
