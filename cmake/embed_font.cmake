# Writes the C++ source that builds the font of raised text into the
# program (src/models/embedded_font.h), from its TrueType file:
#   cmake -DINPUT=FONT.ttf -DOUTPUT=embedded_font.cpp -P embed_font.cmake
# Plain CMake, so that every build (the cross build too) makes it the same.
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" digits)
math(EXPR size "${digits} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REPEAT "0x[0-9a-f][0-9a-f]," 16 line)
string(REGEX REPLACE "(${line})" "\\1\n" bytes "${bytes}")
get_filename_component(name "${INPUT}" NAME)
file(WRITE "${OUTPUT}.new"
     "// Written by cmake/embed_font.cmake from ${name}; not to be edited.\n"
     "#include \"models/embedded_font.h\"\n\n"
     "const unsigned char EmbeddedFontBytes[] = {\n${bytes}};\n"
     "const size_t EmbeddedFontSize = ${size};\n")
file(RENAME "${OUTPUT}.new" "${OUTPUT}")
