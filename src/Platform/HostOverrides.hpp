#pragma once

#include <map>
#include <string>

namespace zelvora::platform {

// Host names that connect to a fixed address instead of being looked up, read once from
// ZELVORA_RESOLVE ("name=address[,name=address...]"). How the tests and the demo reach a platform
// on this machine under a proper host name, which the "host" setting requires; empty otherwise.
const std::map<std::string, std::string>& hostOverrides();

}  // namespace zelvora::platform
