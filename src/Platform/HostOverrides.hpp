#pragma once

#include <map>
#include <string>

namespace zelvora::platform {

// Host names that connect to a fixed address instead of being looked up: those read once from
// ZELVORA_RESOLVE ("name=address[,name=address...]") and those added for tests. How the tests and
// the demo reach a platform on this machine under a proper host name, which the "host" setting
// requires; empty otherwise. Safe from any thread.
std::map<std::string, std::string> hostOverrides();

// Connects `host` to `address` for the connections made from now on, for tests that need a
// second host name.
void overrideHostForTesting(const std::string& host, const std::string& address);

}  // namespace zelvora::platform
