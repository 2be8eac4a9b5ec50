#include "Platform/PageAddress.hpp"

#include "Platform/HostOverrides.hpp"

#include <curl/curl.h>
#include <glib.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <memory>
#include <mutex>

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

struct CertificateAuthority {
  std::mutex mutex;
  std::optional<std::string> pemFile;
};

CertificateAuthority& testingAuthority() {
  static auto* const authority = new CertificateAuthority;
  return *authority;
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

// Where the finished transfer read its answer from, when that answer is a success over https: a
// redirect that curl did not follow (one without a target) is no page.
std::optional<std::string> successfulHttpsSource(CURL* handle) {
  long status = 0;
  const char* effective = nullptr;
  if (curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status) != CURLE_OK ||
      curl_easy_getinfo(handle, CURLINFO_EFFECTIVE_URL, &effective) != CURLE_OK || !effective)
    return std::nullopt;
  if (status < 200 || status > 299 || schemeOf(effective) != "https")
    return std::nullopt;
  return std::string(effective);
}

std::optional<AddressText> readHttpsAddress(std::string_view address, const ReadLimits& limits) {
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
  const auto authority = [] {
    auto& testing = testingAuthority();
    std::lock_guard lock(testing.mutex);
    return testing.pemFile;
  }();
  if (authority)
    curl_easy_setopt(handle, CURLOPT_CAINFO, authority->c_str());
  if (curl_easy_perform(handle) != CURLE_OK)
    return std::nullopt;
  auto source = successfulHttpsSource(handle);
  if (!source)
    return std::nullopt;
  return AddressText{std::move(download.text), std::move(*source)};
}

std::optional<std::string> fromUtf16(std::string_view bytes, const char* charset) {
  gsize written = 0;
  gchar* text = g_convert(bytes.data(), static_cast<gssize>(bytes.size()), "UTF-8", charset,
                          nullptr, &written, nullptr);
  if (!text)
    return std::nullopt;
  std::string utf8(text, written);
  g_free(text);
  return utf8;
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

std::optional<AddressText> readAddress(std::string_view address, const ReadLimits& limits) {
  const std::string scheme = schemeOf(address);
  std::optional<AddressText> read;
  if (scheme == "file") {
    if (auto bytes = readFileAddress(address, limits.bytes))
      read = AddressText{std::move(*bytes), std::string(address)};
  } else if (scheme == "https") {
    read = readHttpsAddress(address, limits);
  }
  if (!read)
    return std::nullopt;
  auto text = decodePageText(read->text);
  if (!text)
    return std::nullopt;
  read->text = std::move(*text);
  return read;
}

std::optional<std::string> readFileText(const fs::path& path, std::size_t maxBytes) {
  std::error_code error;
  if (!fs::is_regular_file(path, error))
    return std::nullopt;
  // C streams report a failed read in ferror; the C++ file buffer throws instead.
  const std::unique_ptr<std::FILE, decltype(&std::fclose)> file(std::fopen(path.c_str(), "rb"),
                                                                &std::fclose);
  if (!file)
    return std::nullopt;
  std::string text;
  char chunk[16 * 1024];
  while (const std::size_t length = std::fread(chunk, 1, sizeof chunk, file.get())) {
    if (length > maxBytes - text.size())
      return std::nullopt;
    text.append(chunk, length);
  }
  if (std::ferror(file.get()))
    return std::nullopt;
  return text;
}

bool isUtf8(std::string_view bytes) {
  // GLib's check stops at a NUL character, which is valid text: check between them.
  for (std::size_t start = 0; start <= bytes.size();) {
    const std::size_t end = std::min(bytes.find('\0', start), bytes.size());
    if (!g_utf8_validate(bytes.data() + start, static_cast<gssize>(end - start), nullptr))
      return false;
    start = end + 1;
  }
  return true;
}

std::optional<std::string> decodePageText(std::string_view bytes) {
  const auto startsWith = [&](std::string_view mark) {
    return bytes.substr(0, mark.size()) == mark;
  };
  if (startsWith("\xFF\xFE"))
    return fromUtf16(bytes.substr(2), "UTF-16LE");
  if (startsWith("\xFE\xFF"))
    return fromUtf16(bytes.substr(2), "UTF-16BE");
  if (startsWith("\xEF\xBB\xBF"))
    bytes.remove_prefix(3);
  if (!isUtf8(bytes))
    return std::nullopt;
  return std::string(bytes);
}

std::optional<PageSource> readPage(const fs::path& resource,
                                   const std::optional<std::string>& appAddress) {
  const auto bytes = readFileText(resource);
  auto ours = bytes ? decodePageText(*bytes) : std::nullopt;
  if (!ours)
    return std::nullopt;
  std::string base = fileAddress(resource);
  if (appAddress) {
    if (auto appPage = readAddress(*appAddress)) {
      if (schemeOf(appPage->address) == "https")
        base = std::move(appPage->address);
      return PageSource{std::move(appPage->text), std::move(base), /*bundled=*/false};
    }
  }
  return PageSource{std::move(*ours), std::move(base), /*bundled=*/true};
}

void setPageCertificateAuthorityForTesting(std::optional<std::string> pemFile) {
  auto& testing = testingAuthority();
  std::lock_guard lock(testing.mutex);
  testing.pemFile = std::move(pemFile);
}

}  // namespace zelvora::platform
