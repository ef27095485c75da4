#pragma once
// Where updates come from and whether a manifest can be trusted.

#include <string>

#include "http/httpfetch.h"

namespace scrivel {

// The update server's base URL, ending in "/": the environment variable
// SCRIVEL_UPDATE_URL when set, else the build's setting.
std::string UpdateBaseUrl();

// The Ed25519 public key the build trusts (64 hex digits), or empty.
std::string UpdatePublicKey();

struct FetchedManifest {
  bool ok = false;
  std::string text;   // the manifest, when ok
  std::string error;  // why not, otherwise
};

// Fetches "download/Version.txt" from `baseUrl`. With a public key, the
// detached signature "download/Version.txt.sig" must verify, or the manifest
// is refused.
FetchedManifest FetchManifest(const std::string& baseUrl, const std::string& publicKeyHex,
                              const FetchLimits& limits = {});

}  // namespace scrivel
