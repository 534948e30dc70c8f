# Writes a C++ file that holds the bytes of one file of the page.
#   cmake -DINPUT=file -DOUTPUT=file.cpp -DNAME=symbol -P embed_file.cmake
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" digits)
math(EXPR size "${digits} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
file(WRITE "${OUTPUT}.new"
  "#include <cstddef>\n"
  "extern const unsigned char ${NAME}[];\n"
  "extern const std::size_t ${NAME}_size;\n"
  "const unsigned char ${NAME}[] = {${bytes}0};\n"
  "const std::size_t ${NAME}_size = ${size};\n")
file(RENAME "${OUTPUT}.new" "${OUTPUT}")
