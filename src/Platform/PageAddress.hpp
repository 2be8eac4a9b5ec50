#pragma once

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace zelvora::platform {

// Whether the text is an address (an absolute or relative URI reference): not empty, and made only
// of the characters an address may hold, with well-formed percent escapes.
bool parsesAsAddress(std::string_view text);

// The "file://" address of an absolute path.
std::string fileAddress(const std::filesystem::path& path);

// How long, and how much, a page address may take to read.
struct ReadLimits {
  std::chrono::milliseconds time{2000};
  std::size_t bytes = 2 * 1024 * 1024;
};

// The text at a "file:" or "https:" address (redirects only to https), read on the calling thread
// within the limits; absent for any other address, a failed or too long read, or an HTTP error.
std::optional<std::string> readAddressText(std::string_view address, const ReadLimits& limits = {});

// A regular file's bytes; absent when it is missing, unreadable or longer than the limit.
std::optional<std::string> readFileText(const std::filesystem::path& path,
                                        std::size_t maxBytes = ReadLimits{}.bytes);

}  // namespace zelvora::platform
