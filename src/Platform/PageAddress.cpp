#include "Platform/PageAddress.hpp"

#include "Platform/HostOverrides.hpp"

#include <curl/curl.h>
#include <glib.h>

#include <cctype>
#include <fstream>
#include <iterator>
#include <memory>

namespace zelvora::platform {

namespace fs = std::filesystem;

namespace {

bool isHexDigit(char c) {
  return std::isxdigit(static_cast<unsigned char>(c)) != 0;
}

bool isAddressCharacter(char c) {
  static constexpr std::string_view punctuation = "-._~:/?#[]@!$&'()*+,;=";
  return std::isalnum(static_cast<unsigned char>(c)) != 0 ||
         punctuation.find(c) != std::string_view::npos;
}

// The scheme of an address, lower-cased; empty for a relative reference.
std::string schemeOf(std::string_view address) {
  const auto colon = address.find(':');
  if (colon == std::string_view::npos || colon == 0)
    return {};
  std::string scheme;
  for (const char c : address.substr(0, colon)) {
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '+' && c != '-' && c != '.')
      return {};
    scheme += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return std::isalpha(static_cast<unsigned char>(scheme.front())) ? scheme : std::string();
}

std::optional<std::string> readFileAddress(std::string_view address, std::size_t maxBytes) {
  const std::string text(address);
  gchar* path = g_filename_from_uri(text.c_str(), nullptr, nullptr);
  if (!path)
    return std::nullopt;
  const fs::path file(path);
  g_free(path);
  return readFileText(file, maxBytes);
}

struct Download {
  std::string text;
  std::size_t maxBytes;

  static size_t write(char* data, size_t size, size_t count, void* self) {
    auto& download = *static_cast<Download*>(self);
    const size_t length = size * count;
    if (download.text.size() + length > download.maxBytes)
      return 0;  // ends the transfer with an error
    download.text.append(data, length);
    return length;
  }
};

std::optional<std::string> readHttpsAddress(std::string_view address, const ReadLimits& limits) {
  const std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> easy(curl_easy_init(),
                                                                 &curl_easy_cleanup);
  if (!easy)
    return std::nullopt;
  curl_slist* connectTo = nullptr;
  for (const auto& [host, target] : hostOverrides())
    connectTo = curl_slist_append(connectTo, (host + "::" + target + ":").c_str());
  const std::unique_ptr<curl_slist, decltype(&curl_slist_free_all)> connectToList(
      connectTo, &curl_slist_free_all);

  Download download{{}, limits.bytes};
  const std::string url(address);
  const long milliseconds = static_cast<long>(limits.time.count());
  CURL* handle = easy.get();
  curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
  curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "https");
  curl_easy_setopt(handle, CURLOPT_REDIR_PROTOCOLS_STR, "https");
  curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(handle, CURLOPT_MAXREDIRS, 5L);
  curl_easy_setopt(handle, CURLOPT_TIMEOUT_MS, milliseconds);
  curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS, milliseconds);
  curl_easy_setopt(handle, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(limits.bytes));
  curl_easy_setopt(handle, CURLOPT_FAILONERROR, 1L);
  curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &Download::write);
  curl_easy_setopt(handle, CURLOPT_WRITEDATA, &download);
  if (connectTo)
    curl_easy_setopt(handle, CURLOPT_CONNECT_TO, connectTo);
  if (curl_easy_perform(handle) != CURLE_OK)
    return std::nullopt;
  return std::move(download.text);
}

}  // namespace

bool parsesAsAddress(std::string_view text) {
  if (text.empty() || text.front() == ':')
    return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%') {
      if (i + 2 >= text.size() || !isHexDigit(text[i + 1]) || !isHexDigit(text[i + 2]))
        return false;
      i += 2;
    } else if (!isAddressCharacter(text[i])) {
      return false;
    }
  }
  return true;
}

std::string fileAddress(const fs::path& path) {
  gchar* uri = g_filename_to_uri(path.c_str(), nullptr, nullptr);
  if (!uri)
    return "file://" + path.string();
  std::string address(uri);
  g_free(uri);
  return address;
}

std::optional<std::string> readAddressText(std::string_view address, const ReadLimits& limits) {
  const std::string scheme = schemeOf(address);
  if (scheme == "file")
    return readFileAddress(address, limits.bytes);
  if (scheme == "https")
    return readHttpsAddress(address, limits);
  return std::nullopt;
}

std::optional<std::string> readFileText(const fs::path& path, std::size_t maxBytes) {
  std::error_code error;
  if (!fs::is_regular_file(path, error))
    return std::nullopt;
  const auto size = fs::file_size(path, error);
  if (error || size > maxBytes)
    return std::nullopt;
  std::ifstream file(path, std::ios::binary);
  if (!file)
    return std::nullopt;
  std::string text(std::istreambuf_iterator<char>(file), {});
  if (file.bad() || text.size() > maxBytes)
    return std::nullopt;
  return text;
}

}  // namespace zelvora::platform
