#pragma once
// MD5 digests of downloaded files, as 32 lowercase hexadecimal digits.

#include <optional>
#include <string>

namespace scrivel {

std::optional<std::string> Md5OfFile(const std::string& path);
std::string Md5OfBytes(const std::string& bytes);

}  // namespace scrivel
