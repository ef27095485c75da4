#include "update/md5digest.h"

#include <openssl/evp.h>

#include <cstdio>
#include <memory>

namespace scrivel {
namespace {

struct DigestContextDeleter {
  void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};

std::string ToHex(const unsigned char* digest, unsigned int length) {
  static const char kDigits[] = "0123456789abcdef";
  std::string text;
  for (unsigned int i = 0; i < length; ++i) {
    text += kDigits[digest[i] >> 4];
    text += kDigits[digest[i] & 0x0F];
  }
  return text;
}

class Md5 {
 public:
  Md5() : m_context(EVP_MD_CTX_new()) { EVP_DigestInit_ex(m_context.get(), EVP_md5(), nullptr); }
  void Update(const void* data, size_t size) { EVP_DigestUpdate(m_context.get(), data, size); }
  std::string Final() {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_DigestFinal_ex(m_context.get(), digest, &length);
    return ToHex(digest, length);
  }

 private:
  std::unique_ptr<EVP_MD_CTX, DigestContextDeleter> m_context;
};

}  // namespace

std::optional<std::string> Md5OfFile(const std::string& path) {
  std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "rb"), &std::fclose);
  if (!file) return std::nullopt;
  Md5 md5;
  char buffer[65536];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) md5.Update(buffer, n);
  if (std::ferror(file.get())) return std::nullopt;
  return md5.Final();
}

std::string Md5OfBytes(const std::string& bytes) {
  Md5 md5;
  md5.Update(bytes.data(), bytes.size());
  return md5.Final();
}

}  // namespace scrivel
