#pragma once

#include "fake_platform/EventSocket.hpp"
#include "fake_platform/FakePlatform.hpp"

#include <zelvora/NotificationCenter.hpp>
#include <zelvora/ZelvoraAPI.hpp>
#include <zelvora/ZelvoraEventListener.hpp>

#include <glib.h>

#include <memory>
#include <optional>
#include <string>

// An SDK initialised against a fake platform of its own, whose event socket is open with the
// delegate set: what an event benchmark measures from. Made on the main thread, and lives there.
template <class Delegate>
struct ConnectedEventSocket {
  ConnectedEventSocket()
      : fake({"merchant-bench", "key-bench", "secret-bench"}),
        delegate(std::make_shared<Delegate>()) {
    api.initialize("merchant-bench", "key-bench", "secret-bench",
                   {{"host", "http://platform.test:" + std::to_string(fake.port())}},
                   [](bool, std::optional<zelvora::Error>) {});
    zelvora::ZelvoraEventListener::shared().setDelegate(delegate);
    bool connected = false;
    auto& center = zelvora::NotificationCenter::defaultCenter();
    const auto observer = center.addObserver(
        std::string(zelvora::ZelvoraEventListener::websocketConnectedNotification),
        [&connected] { connected = true; });
    zelvora::ZelvoraEventListener::shared().connect();
    while (!connected || fake.events().openConnections() != 1) {
      g_main_context_iteration(nullptr, TRUE);
    }
    center.removeObserver(observer);
  }

  zelvora::fake::FakePlatform fake;
  zelvora::ZelvoraAPI api;
  std::shared_ptr<Delegate> delegate;
};
