#include "update/signature.h"

#include <openssl/evp.h>

#include <cctype>
#include <memory>
#include <optional>
#include <vector>

namespace scrivel {
namespace {

std::optional<std::vector<unsigned char>> FromHex(const std::string& text) {
  if (text.size() % 2 != 0) return std::nullopt;
  std::vector<unsigned char> bytes;
  for (size_t i = 0; i < text.size(); i += 2) {
    if (!std::isxdigit(static_cast<unsigned char>(text[i])) ||
        !std::isxdigit(static_cast<unsigned char>(text[i + 1])))
      return std::nullopt;
    bytes.push_back(static_cast<unsigned char>(std::stoi(text.substr(i, 2), nullptr, 16)));
  }
  return bytes;
}

std::optional<std::vector<unsigned char>> FromBase64(const std::string& text) {
  std::string clean;
  for (const char c : text)
    if (!std::isspace(static_cast<unsigned char>(c))) clean += c;
  if (clean.empty() || clean.size() % 4 != 0) return std::nullopt;
  std::vector<unsigned char> bytes(clean.size() / 4 * 3);
  const int n = EVP_DecodeBlock(bytes.data(), reinterpret_cast<const unsigned char*>(clean.data()),
                                static_cast<int>(clean.size()));
  if (n < 0) return std::nullopt;
  // EVP_DecodeBlock counts the padding as zero bytes.
  size_t length = static_cast<size_t>(n);
  if (clean.ends_with("==")) length -= 2;
  else if (clean.ends_with("=")) length -= 1;
  bytes.resize(length);
  return bytes;
}

struct KeyDeleter {
  void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
};
struct ContextDeleter {
  void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};

}  // namespace

bool VerifyManifestSignature(const std::string& message, const std::string& signatureBase64,
                             const std::string& publicKeyHex) {
  const auto key = FromHex(publicKeyHex);
  const auto signature = FromBase64(signatureBase64);
  if (!key || key->size() != 32 || !signature || signature->size() != 64) return false;
  std::unique_ptr<EVP_PKEY, KeyDeleter> publicKey(
      EVP_PKEY_new_raw_public_key(EVP_PKEY_ED25519, nullptr, key->data(), key->size()));
  std::unique_ptr<EVP_MD_CTX, ContextDeleter> context(EVP_MD_CTX_new());
  if (!publicKey || !context) return false;
  if (EVP_DigestVerifyInit(context.get(), nullptr, nullptr, nullptr, publicKey.get()) != 1)
    return false;
  return EVP_DigestVerify(context.get(), signature->data(), signature->size(),
                          reinterpret_cast<const unsigned char*>(message.data()),
                          message.size()) == 1;
}

}  // namespace scrivel
