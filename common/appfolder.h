#pragma once
// Where the application folder is: the folder of the running executable.

#include <string>

namespace scrivel {

// The directory of /proc/self/exe, without a trailing slash; empty when the
// link cannot be read.
std::string AppFolder();

// The directory of the shared object that contains `address` (for a library
// that wants the folder it was loaded from); empty when unknown.
std::string ModuleFolder(const void* address);

// The part of `path` before its last '/', or "." when it has none.
std::string DirName(const std::string& path);

}  // namespace scrivel
