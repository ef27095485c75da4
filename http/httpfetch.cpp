#include "http/httpfetch.h"

#include <curl/curl.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <mutex>

#include "common/trace.h"

namespace scrivel {
namespace {

constexpr long kTextChunk = 65536;
constexpr long kFileChunk = 16384;

void InitCurlOnce() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct CurlDeleter {
  void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
};
struct HeaderListDeleter {
  void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
struct FileCloser {
  void operator()(FILE* file) const { std::fclose(file); }
};
using CurlHandle = std::unique_ptr<CURL, CurlDeleter>;
using HeaderList = std::unique_ptr<curl_slist, HeaderListDeleter>;

long MillisecondTicks() {
  using namespace std::chrono;
  return static_cast<long>(
      duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

// The request properties both fetches share: always fresh from the server,
// bounded connection time, abort on a stalled transfer.
CurlHandle OpenRequest(const std::string& url, const FetchLimits& limits, long chunk) {
  InitCurlOnce();
  CurlHandle curl(curl_easy_init());
  if (!curl) return nullptr;
  CURL* c = curl.get();
  curl_easy_setopt(c, CURLOPT_URL, url.c_str());
  curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(c, CURLOPT_MAXREDIRS, 5L);
  curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(c, CURLOPT_BUFFERSIZE, chunk);
  curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(limits.connect.count()));
  // Less than one byte per second for the stall period ends the transfer.
  curl_easy_setopt(c, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(c, CURLOPT_LOW_SPEED_TIME,
                   std::max(1L, static_cast<long>((limits.stall.count() + 999) / 1000)));
  curl_easy_setopt(c, CURLOPT_FRESH_CONNECT, 1L);
  curl_easy_setopt(c, CURLOPT_FORBID_REUSE, 1L);
  return curl;
}

size_t AppendText(char* data, size_t size, size_t count, void* user) {
  static_cast<std::string*>(user)->append(data, size * count);
  return size * count;
}

size_t WriteToFile(char* data, size_t size, size_t count, void* user) {
  return std::fwrite(data, size, count, static_cast<FILE*>(user)) * size;
}

bool Perform(CURL* curl, const std::string& url) {
  const CURLcode result = curl_easy_perform(curl);
  if (result != CURLE_OK) {
    Trace("http: %s: %s", url.c_str(), curl_easy_strerror(result));
    return false;
  }
  long status = 0;
  curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
  Trace("http: %s: status %ld", url.c_str(), status);
  return true;
}

}  // namespace

std::string UrlPathSegment(const std::string& name) {
  std::unique_ptr<char, decltype(&curl_free)> escaped(
      curl_easy_escape(nullptr, name.data(), static_cast<int>(name.size())), &curl_free);
  return escaped ? std::string(escaped.get()) : std::string();
}

std::string FetchText(const std::string& url, const FetchLimits& limits) {
  CurlHandle curl = OpenRequest(url, limits, kTextChunk);
  if (!curl) return "Error";
  char agent[64];
  std::snprintf(agent, sizeof agent, "Agent%ld", MillisecondTicks());
  curl_easy_setopt(curl.get(), CURLOPT_USERAGENT, agent);
  HeaderList headers(curl_slist_append(nullptr, "Cache-Control: no-cache"));
  headers.reset(curl_slist_append(headers.release(), "Pragma: no-cache"));
  curl_easy_setopt(curl.get(), CURLOPT_HTTPHEADER, headers.get());
  std::string body;
  curl_easy_setopt(curl.get(), CURLOPT_WRITEFUNCTION, AppendText);
  curl_easy_setopt(curl.get(), CURLOPT_WRITEDATA, &body);
  if (!Perform(curl.get(), url)) return "Error";
  return body;
}

int FetchFile(const std::string& url, const std::string& path, const FetchLimits& limits) {
  CurlHandle curl = OpenRequest(url, limits, kFileChunk);
  if (!curl) return -1;
  curl_easy_setopt(curl.get(), CURLOPT_USERAGENT, "");
  HeaderList headers(curl_slist_append(nullptr, "Accept: */*"));
  headers.reset(curl_slist_append(headers.release(), "Cache-Control: no-cache"));
  headers.reset(curl_slist_append(headers.release(), "Pragma: no-cache"));
  curl_easy_setopt(curl.get(), CURLOPT_HTTPHEADER, headers.get());
  std::unique_ptr<FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
  if (!file) {
    Trace("http: cannot create %s", path.c_str());
    return -1;
  }
  curl_easy_setopt(curl.get(), CURLOPT_WRITEFUNCTION, WriteToFile);
  curl_easy_setopt(curl.get(), CURLOPT_WRITEDATA, file.get());
  if (!Perform(curl.get(), url)) return -1;
  if (std::fclose(file.release()) != 0) return -1;
  return 0;
}

}  // namespace scrivel
