#pragma once

#include <zelvora/Export.hpp>

#include <string_view>

namespace zelvora {

// The host app's life as the SDK needs to know it. A GTK app has no background of its own, so it
// reports when it stops being in front of the user and when it comes back (for instance when its
// window is hidden and shown again), and when the time it grants for finishing background work
// runs out. Call these on the main thread: each posts its notification on
// NotificationCenter::defaultCenter(), whose observers run before the call returns.
class ZELVORA_EXPORT Application {
 public:
  Application() = delete;

  static constexpr std::string_view didEnterBackgroundNotification =
      "ZelvoraApplicationDidEnterBackground";
  static constexpr std::string_view willEnterForegroundNotification =
      "ZelvoraApplicationWillEnterForeground";

  // The app went to the background: the SDK closes its event connection, inside a background task.
  static void didEnterBackground();
  // The app is returning to the foreground: the SDK reconnects and catches up on missed events.
  static void willEnterForeground();
  // The app's background time is over: the SDK ends the background tasks it still runs, before
  // this returns.
  static void backgroundTimeWillExpire();
};

}  // namespace zelvora
