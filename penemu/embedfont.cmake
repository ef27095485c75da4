# Writes a C++ source that holds a text file as a byte array, so penemu carries
# its font data and does not read /usr/share at run time.
#   cmake -DINPUT=file.jhf -DOUTPUT=file.cpp -DSYMBOL=kName -P embedfont.cmake
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" hexLength)
math(EXPR size "${hexLength} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "((0x..,){16})" "\\1\n    " bytes "${bytes}")
file(WRITE "${OUTPUT}.tmp"
"// Generated from ${INPUT} by embedfont.cmake; do not edit.
#include \"penemu/fontdata.h\"

namespace scrivel::penemu {
namespace {
const char kData[] = {
    ${bytes}};
}  // namespace
const std::string_view ${SYMBOL}(kData, ${size});
}  // namespace scrivel::penemu
")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
