#pragma once
// The JHF text of the built-in Hershey fonts, embedded by the build from the
// installed font data (see embedfont.cmake).

#include <string_view>

namespace scrivel::penemu {

extern const std::string_view kFuturalJhf;
extern const std::string_view kCursiveJhf;

}  // namespace scrivel::penemu
