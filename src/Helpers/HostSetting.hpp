#pragma once

#include "Helpers/Constants.hpp"

#include <optional>
#include <string_view>

namespace zelvora::internal {

// The URL pattern that a "host" setting must match as a whole, case-sensitively:
//   (http://|https://)(www\.)?[-a-zA-Z0-9@:%._\+~#=]{2,256}\.[a-z]{2,4}(:[\d]+)?
// where \d is any Unicode decimal digit. Decided in time linear in the length of the text, without
// recursion and without backtracking, so a very long text is rejected as quickly as a short one.
bool matchesUrlPattern(std::string_view text);

// The address a "host" setting names: the text split at every ":", the scheme the first part, the
// host the second without its leading "//", the port the third when there are exactly three parts,
// else 443 for "https" and 80 for "http". Absent when the text fails the pattern, or when a third
// part is not a decimal port from 1 to 65535 (as in "https://a:b.com", where the colon belongs to
// the host part, or a port of thirty digits).
std::optional<ServerAddress> serverAddressFromHostSetting(std::string_view text);

}  // namespace zelvora::internal
