#include "update/version.h"

#include <array>
#include <cstdio>
#include <cstdlib>

namespace scrivel {
namespace {

// Splits at the first and second "." and reads each part's leading digits.
std::array<long, 3> ParseTriple(const std::string& text) {
  std::array<long, 3> parts{0, 0, 0};
  size_t start = 0;
  for (int i = 0; i < 3; ++i) {
    const size_t dot = i < 2 ? text.find('.', start) : std::string::npos;
    const std::string part = text.substr(start, dot == std::string::npos ? std::string::npos : dot - start);
    parts[i] = std::strtol(part.c_str(), nullptr, 10);
    if (dot == std::string::npos) break;
    start = dot + 1;
  }
  return parts;
}

}  // namespace

int CompareVersion(const std::string& a, const std::string& b) {
  const auto local = ParseTriple(a);
  const auto server = ParseTriple(b);
  for (int i = 0; i < 3; ++i) {
    if (local[i] != server[i]) return server[i] > local[i] ? 1 : 0;
  }
  return 0;
}

std::string ServerVersion(const std::string& manifest) {
  return manifest.substr(0, manifest.find(';'));
}

std::string ReadLocalVersion(const std::string& folder) {
  FILE* file = std::fopen((folder + "/Version.txt").c_str(), "r");
  if (file == nullptr) return "0.0.0";
  char text[20] = {};
  const size_t n = std::fread(text, 1, 19, file);
  std::fclose(file);
  if (n == 0) return "0.0.0";
  return std::string(text, n);
}

}  // namespace scrivel
