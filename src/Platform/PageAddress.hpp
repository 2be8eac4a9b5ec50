#pragma once

#include "Platform/WebView.hpp"

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

// A page's text and the address it was finally read from: the address asked for, or where its
// redirects led.
struct AddressText {
  std::string text;
  std::string address;
};

// The text at a "file:" or "https:" address, read on the calling thread within the limits and
// decoded by decodePageText; absent for any other address, a failed or too long read, a redirect to
// anything but https, an answer other than a success, or bytes that do not decode.
std::optional<AddressText> readAddress(std::string_view address, const ReadLimits& limits = {});

// A regular file's bytes; absent when it is missing, unreadable (an I/O error included) or longer
// than the limit.
std::optional<std::string> readFileText(const std::filesystem::path& path,
                                        std::size_t maxBytes = ReadLimits{}.bytes);

// Whether the bytes are well-formed UTF-8; NUL characters are text like any other.
bool isUtf8(std::string_view bytes);

// A page's bytes as UTF-8 text: UTF-16 (little- or big-endian) or UTF-8 after a byte order mark,
// else UTF-8. The mark is dropped. Absent when the bytes do not decode.
std::optional<std::string> decodePageText(std::string_view bytes);

// Our page at `resource`, or the app's page at `appAddress` in its place when that reads well.
// Our page and an app page read from a file resolve against our page's file address; an app page
// read from https resolves against the address it was finally read from, after its redirects, and
// gets no access to local files. Absent when our page cannot be read, whatever the app's page.
std::optional<PageSource> readPage(const std::filesystem::path& resource,
                                   const std::optional<std::string>& appAddress);

// Makes https page addresses trust the authority in this PEM file in place of the system's; for
// tests. nullopt returns to the system's.
void setPageCertificateAuthorityForTesting(std::optional<std::string> pemFile);

}  // namespace zelvora::platform
