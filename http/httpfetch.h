#pragma once
// Blocking HTTP fetches from the update server: the manifest as text, files to disk.
// Every request goes to the server itself (no caches). Neither call can hang:
// connecting is bounded, and a transfer that stalls is aborted.

#include <chrono>
#include <string>

namespace scrivel {

struct FetchLimits {
  std::chrono::milliseconds connect{5000};  // to establish the connection
  std::chrono::milliseconds stall{10000};   // longest time without a byte of progress
};

// `name` as one segment of a URL path: every byte but letters, digits and
// "-._~" percent-encoded (spaces, "#", "?", "/", UTF-8 bytes).
std::string UrlPathSegment(const std::string& name);

// The response body, or the text "Error" on any failure (no connection, a
// broken transfer). A server error page is content like any other.
std::string FetchText(const std::string& url, const FetchLimits& limits = {});

// Writes the response body to `path` (created, or truncated and replaced).
// 0 on success, -1 on any failure; a partial file may stay after a failure.
int FetchFile(const std::string& url, const std::string& path, const FetchLimits& limits = {});

}  // namespace scrivel
