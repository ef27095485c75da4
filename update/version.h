#pragma once
// Installed and offered versions: dotted triples such as 1.2.3.

#include <string>

namespace scrivel {

// 1 when the server's version b is higher than the local version a, else 0.
// Each part is read by its leading digits; a part without digits counts as 0.
int CompareVersion(const std::string& a, const std::string& b);

// The version a manifest offers: its text before the first ";" (all of it when there is none).
std::string ServerVersion(const std::string& manifest);

// The installed version from "<folder>/Version.txt" (at most 19 bytes); a
// missing or unreadable file counts as "0.0.0".
std::string ReadLocalVersion(const std::string& folder);

}  // namespace scrivel
