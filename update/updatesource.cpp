#include "update/updatesource.h"

#include <cstdlib>

#include "common/trace.h"
#include "update/signature.h"

namespace scrivel {

std::string UpdateBaseUrl() {
  const char* fromEnvironment = std::getenv("SCRIVEL_UPDATE_URL");
  std::string url = (fromEnvironment != nullptr && *fromEnvironment != '\0') ? fromEnvironment
                                                                            : SCRIVEL_UPDATE_URL;
  if (!url.empty() && url.back() != '/') url += '/';
  return url;
}

std::string UpdatePublicKey() { return SCRIVEL_UPDATE_PUBKEY; }

FetchedManifest FetchManifest(const std::string& baseUrl, const std::string& publicKeyHex,
                              const FetchLimits& limits) {
  FetchedManifest result;
  const std::string text = FetchText(baseUrl + "download/Version.txt", limits);
  if (text == "Error") {
    result.error = "the update server cannot be reached";
    return result;
  }
  if (!publicKeyHex.empty()) {
    const std::string signature = FetchText(baseUrl + "download/Version.txt.sig", limits);
    if (signature == "Error" || !VerifyManifestSignature(text, signature, publicKeyHex)) {
      result.error = "the update manifest is not signed by the publisher";
      Trace("update: %s", result.error.c_str());
      return result;
    }
  }
  result.ok = true;
  result.text = text;
  return result;
}

}  // namespace scrivel
