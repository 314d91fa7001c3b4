# cmake -DINPUT=file -DOUTPUT=file.cpp -P embed.cmake
# Writes the bytes of INPUT as the C++ array behind mobile/builtin.h.
file(READ ${INPUT} hex HEX)
string(LENGTH "${hex}" digits)
math(EXPR size "${digits} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n" bytes "${bytes}")
file(WRITE ${OUTPUT} "// Generated from ${INPUT}; do not edit.\n#include \"mobile/builtin.h\"\n\nconst char builtinMobileText[] = {\n${bytes}0};\nconst uint32_t builtinMobileSize = ${size};\n")
