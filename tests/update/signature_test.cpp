#include "update/signature.h"

#include <gtest/gtest.h>
#include <openssl/evp.h>

#include <memory>
#include <string>

#include "update/md5digest.h"

namespace scrivel {
namespace {

struct Keys {
  std::string publicHex;
  std::unique_ptr<EVP_PKEY, void (*)(EVP_PKEY*)> key{nullptr, EVP_PKEY_free};
};

Keys MakeKeys() {
  Keys keys;
  keys.key.reset(EVP_PKEY_Q_keygen(nullptr, nullptr, "ED25519"));
  unsigned char raw[32];
  size_t length = sizeof raw;
  EVP_PKEY_get_raw_public_key(keys.key.get(), raw, &length);
  static const char kDigits[] = "0123456789abcdef";
  for (unsigned char b : raw) {
    keys.publicHex += kDigits[b >> 4];
    keys.publicHex += kDigits[b & 15];
  }
  return keys;
}

std::string SignBase64(const Keys& keys, const std::string& message) {
  std::unique_ptr<EVP_MD_CTX, void (*)(EVP_MD_CTX*)> context(EVP_MD_CTX_new(), EVP_MD_CTX_free);
  EVP_DigestSignInit(context.get(), nullptr, nullptr, nullptr, keys.key.get());
  unsigned char signature[64];
  size_t length = sizeof signature;
  EVP_DigestSign(context.get(), signature, &length,
                 reinterpret_cast<const unsigned char*>(message.data()), message.size());
  unsigned char text[100] = {};
  EVP_EncodeBlock(text, signature, static_cast<int>(length));
  return reinterpret_cast<char*>(text);
}

TEST(ManifestSignature, OnlyTheRightKeyAndMessageVerify) {
  const Keys keys = MakeKeys();
  const Keys other = MakeKeys();
  const std::string manifest = "1.11.0;scrivel,0123456789abcdef0123456789abcdef;";
  const std::string signature = SignBase64(keys, manifest);

  EXPECT_TRUE(VerifyManifestSignature(manifest, signature, keys.publicHex));
  EXPECT_TRUE(VerifyManifestSignature(manifest, signature + "\n", keys.publicHex));
  EXPECT_FALSE(VerifyManifestSignature(manifest, signature, other.publicHex));
  EXPECT_FALSE(VerifyManifestSignature(manifest + " ", signature, keys.publicHex));
  EXPECT_FALSE(VerifyManifestSignature("1.11.1;scrivel,0123456789abcdef0123456789abcdef;", signature,
                                       keys.publicHex));
  EXPECT_FALSE(VerifyManifestSignature(manifest, "", keys.publicHex));
  EXPECT_FALSE(VerifyManifestSignature(manifest, "Error", keys.publicHex));
  EXPECT_FALSE(VerifyManifestSignature(manifest, signature, "nothex"));
  std::string flipped = signature;
  flipped[10] = flipped[10] == 'A' ? 'B' : 'A';
  EXPECT_FALSE(VerifyManifestSignature(manifest, flipped, keys.publicHex));
}

TEST(Md5, KnownDigests) {
  EXPECT_EQ(Md5OfBytes(""), "d41d8cd98f00b204e9800998ecf8427e");
  EXPECT_EQ(Md5OfBytes("The quick brown fox jumps over the lazy dog"),
            "9e107d9d372bb6826bd81d3542a419d6");
  EXPECT_FALSE(Md5OfFile("/nonexistent/file").has_value());
}

}  // namespace
}  // namespace scrivel
