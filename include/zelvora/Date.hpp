#pragma once

#include <chrono>

namespace zelvora {

// An instant with millisecond precision, as the platform writes and reads it.
using Date = std::chrono::sys_time<std::chrono::milliseconds>;

}  // namespace zelvora
