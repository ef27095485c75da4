// Fuzz target: a manifest as the update server might send it. Every entry
// accepted must be installable: a plain name, named once. The same text is
// tried as a detached signature in base64.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>

#include "update/manifest.h"
#include "update/signature.h"
#include "update/version.h"

namespace {

// A valid Ed25519 key (RFC 8032, test 1): the input is never a valid signature by it, so only
// the decoding is under test.
const char kKey[] = "d75a980182b10ab7d54bfed3c964073a0ee172f3daa62325af021a68f707511a";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::string version = scrivel::ServerVersion(text);
  scrivel::CompareVersion("1.10.0", version);
  scrivel::CompareVersion(version, "1.10.0");

  const scrivel::ManifestEntries parsed = scrivel::ParseManifestEntries(text);
  if (!parsed.error.empty() && !parsed.entries.empty()) std::abort();
  std::set<std::string> names;
  for (const auto& entry : parsed.entries) {
    if (!scrivel::IsPlainFileName(entry.strFileName)) std::abort();
    if (!names.insert(entry.strFileName).second) std::abort();
  }

  if (scrivel::VerifyManifestSignature("1.2.4;", text, kKey)) std::abort();
  return 0;
}
