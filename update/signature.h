#pragma once
// Detached Ed25519 signatures of update manifests ("download/Version.txt.sig":
// the base64 text of the 64-byte signature over the manifest's exact bytes).

#include <string>

namespace scrivel {

// True when `signatureBase64` is a valid signature of `message` by the key
// given as 64 hexadecimal digits (the raw 32-byte Ed25519 public key).
bool VerifyManifestSignature(const std::string& message, const std::string& signatureBase64,
                             const std::string& publicKeyHex);

}  // namespace scrivel
