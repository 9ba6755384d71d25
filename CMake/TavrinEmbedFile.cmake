# Writes a file's bytes as a C array into a header, at build time:
#   cmake -DINPUT=file -DOUTPUT=header.h -DNAME=C_NAME -P TavrinEmbedFile.cmake
file(READ "${INPUT}" _hex HEX)
string(LENGTH "${_hex}" _length)
math(EXPR _size "${_length} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," _bytes "${_hex}")
# Lines of 16 bytes.
string(REGEX REPLACE "((0x[0-9a-f][0-9a-f],){16})" "\\1\n    " _bytes "${_bytes}")
get_filename_component(_name "${INPUT}" NAME)
file(WRITE "${OUTPUT}" "#pragma once\n\n// ${_name}, generated at build time.\nstatic const unsigned char ${NAME}[${_size}] = {\n    ${_bytes}\n};\n")
