#pragma once

#include <zelvora/Export.hpp>

#include <string_view>

namespace zelvora {

// The host app's life as the SDK needs to know it. A GTK app has no background of its own, so it
// reports when it stops being in front of the user and when it comes back (for instance when its
// window is hidden and shown again), and when the time it grants for finishing background work
// runs out. The SDK's main thread is the thread running the GLib default main context (the app's
// GTK main loop) or, while no thread runs it, the process's first thread. Called there, each call
// does its work before it returns: the notifications' observers on
// NotificationCenter::defaultCenter() have run, and a background task has begun. Called on any
// other thread, it hands its work to the main thread and returns at once. Never fails.
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
  // The app's background time is over: the SDK ends the background tasks it still runs (on the
  // main thread, before this returns).
  static void backgroundTimeWillExpire();
};

}  // namespace zelvora
