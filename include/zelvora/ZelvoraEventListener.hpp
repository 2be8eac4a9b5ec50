#pragma once

#include <zelvora/Export.hpp>

namespace zelvora {

// The app's entry to the platform's real-time basket events: one listener per process. The SDK
// connects it after every successful shopper authentication, once the app's completion has run.
class ZELVORA_EXPORT ZelvoraEventListener {
 public:
  // The process's listener, created on first use (from any thread) and kept until the process
  // ends.
  static ZelvoraEventListener& shared();

  // Opens the event connection anew, closing the one open before, and returns at once; how it goes
  // is never reported to the caller. Safe from any thread.
  void connect();

  ZelvoraEventListener(const ZelvoraEventListener&) = delete;
  ZelvoraEventListener& operator=(const ZelvoraEventListener&) = delete;

 private:
  ZelvoraEventListener() = default;
};

}  // namespace zelvora
