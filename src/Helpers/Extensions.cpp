#include "Helpers/Extensions.hpp"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace zelvora {
namespace {

// Hours and minutes, and the seconds only where an offset has them (local mean time before the
// zones were standardised): dropping them would move the instant.
std::string formatZoneOffset(long offsetSeconds) {
  if (offsetSeconds == 0) {
    return "Z";
  }
  const char sign = offsetSeconds < 0 ? '-' : '+';
  const long magnitude = std::labs(offsetSeconds);
  char text[16];
  const int length = std::snprintf(text, sizeof text, "%c%02ld:%02ld", sign, magnitude / 3600 % 100,
                                   magnitude / 60 % 60);
  if (magnitude % 60 != 0) {
    std::snprintf(text + length, sizeof text - length, ":%02ld", magnitude % 60);
  }
  return text;
}

}  // namespace

std::string formatDate(Date date) {
  using namespace std::chrono;
  const auto wholeSeconds = floor<seconds>(date);
  const auto milliseconds = (date - wholeSeconds).count();
  const std::time_t time = wholeSeconds.time_since_epoch().count();
  std::tm local{};
  if (localtime_r(&time, &local) == nullptr) {
    throw EncodingError("date out of range");
  }
  char text[48];
  std::snprintf(text, sizeof text, "%04lld-%02d-%02dT%02d:%02d:%02d.%03lld",
                static_cast<long long>(local.tm_year) + 1900, local.tm_mon + 1, local.tm_mday,
                local.tm_hour, local.tm_min, local.tm_sec, static_cast<long long>(milliseconds));
  return text + formatZoneOffset(local.tm_gmtoff);
}

Json encodeValue(double value) {
  if (!std::isfinite(value)) {
    throw EncodingError("a number is not finite");
  }
  return value;
}

std::string serializeJSON(const Json& tree) {
  try {
    return tree.dump();
  } catch (const nlohmann::json::type_error& error) {
    throw EncodingError(error.what());
  }
}

}  // namespace zelvora
