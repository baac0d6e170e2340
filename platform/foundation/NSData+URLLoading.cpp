// Synchronous URL loading for NSData: file URLs through the device root, http and https through
// libcurl. Any failure, an HTTP error status included, yields nil.

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "foundation/NSData.h"
#include "foundation/NSURL.h"

namespace {

size_t appendBody(char* bytes, size_t size, size_t count, void* user) {
  auto* body = static_cast<std::vector<uint8_t>*>(user);
  body->insert(body->end(), bytes, bytes + size * count);
  return size * count;
}

std::optional<std::vector<uint8_t>> fetch(const std::string& url, long connectTimeoutMs,
                                          long totalTimeoutMs) {
  static std::once_flag initialised;
  std::call_once(initialised, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });

  std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(), curl_easy_cleanup);
  if (!curl) return std::nullopt;
  std::vector<uint8_t> body;
  CURL* handle = curl.get();
  curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
  curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(handle, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(handle, CURLOPT_MAXREDIRS, 16L);
  curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS, connectTimeoutMs);
  curl_easy_setopt(handle, CURLOPT_TIMEOUT_MS, totalTimeoutMs);
  curl_easy_setopt(handle, CURLOPT_FAILONERROR, 1L);
  // Timeouts must not raise SIGALRM in a process that did not ask for it.
  curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(handle, CURLOPT_ACCEPT_ENCODING, "");
  curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, appendBody);
  curl_easy_setopt(handle, CURLOPT_WRITEDATA, &body);
  if (curl_easy_perform(handle) != CURLE_OK) return std::nullopt;
  long status = 0;
  curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
  if (status >= 400) return std::nullopt;
  return body;
}

bool isScheme(const std::string& scheme, std::string_view expected) {
  return scheme.size() == expected.size() &&
         std::equal(scheme.begin(), scheme.end(), expected.begin(),
                    [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; });
}

}  // namespace

std::shared_ptr<NSData> NSData::dataWithContentsOfURL(const std::shared_ptr<NSURL>& url) {
  return dataWithContentsOfURL(url, 30);
}

std::shared_ptr<NSData> NSData::dataWithContentsOfURL(const std::shared_ptr<NSURL>& url,
                                                      double timeoutInterval) {
  if (!url) return nullptr;
  if (url->isFileURL()) {
    // "file:///path" and "file://localhost/path" name a device path; other hosts are remote.
    std::string host = url->host();
    if (!host.empty() && host != "localhost") return nullptr;
    std::string path = url->path();
    if (path.empty()) return nullptr;
    return dataWithContentsOfFile(path);
  }
  if (!isScheme(url->scheme(), "http") && !isScheme(url->scheme(), "https")) return nullptr;
  // libcurl reads 0 as "no limit", so a limit that is not positive becomes the shortest one.
  double seconds = timeoutInterval > 0 ? std::min(timeoutInterval, 86400.0) : 0;
  long total = std::max(1L, static_cast<long>(seconds * 1000));
  std::optional<std::vector<uint8_t>> body =
      fetch(url->absoluteString(), std::min(10000L, total), total);
  if (!body) return nullptr;
  return std::make_shared<NSData>(std::move(*body));
}
