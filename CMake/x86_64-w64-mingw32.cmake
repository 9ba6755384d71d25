# Cross build for 64-bit Windows: Debian's clang and lld with the mingw-w64
# headers and libraries, so that every executable gets a PDB beside it (the
# only debug format that DbgHelp reads on a real Windows system). The C++
# library is GCC's POSIX threading flavour, so that std::thread is available
# to tests and benchmarks.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TOOLCHAIN_PREFIX x86_64-w64-mingw32)

set(CMAKE_C_COMPILER clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_C_COMPILER_TARGET ${TOOLCHAIN_PREFIX})
set(CMAKE_CXX_COMPILER_TARGET ${TOOLCHAIN_PREFIX})
set(CMAKE_RC_COMPILER ${TOOLCHAIN_PREFIX}-windres)
set(CMAKE_SYSROOT /usr/${TOOLCHAIN_PREFIX})

# NOTE: clang looks for GCC's files in a folder named by a bare version
# number; Debian names it after the threading flavour ("12-posix"), so the
# C++ library's headers and GCC's startup files and libraries are named here.
file(GLOB _gcc_dirs LIST_DIRECTORIES true /usr/lib/gcc/${TOOLCHAIN_PREFIX}/*-posix)
list(SORT _gcc_dirs COMPARE NATURAL ORDER DESCENDING)
list(GET _gcc_dirs 0 _gcc)
set(CMAKE_CXX_STANDARD_INCLUDE_DIRECTORIES
  ${_gcc}/include/c++ ${_gcc}/include/c++/${TOOLCHAIN_PREFIX} ${_gcc}/include/c++/backward)
# GCC's startup files and libraries, and the threading library that GCC's
# POSIX flavour links by itself. lld writes each executable's PDB beside it,
# recorded by file name only: DbgHelp looks beside the executable, and the
# build machine's folders mean nothing on a user's.
set(CMAKE_EXE_LINKER_FLAGS_INIT
  "-fuse-ld=lld -B${_gcc}/ -L${_gcc} -lpthread -Wl,--pdb= -Xlinker -Xlink=-pdbaltpath:%_PDB%")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "${CMAKE_EXE_LINKER_FLAGS_INIT}")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "${CMAKE_EXE_LINKER_FLAGS_INIT}")

set(CMAKE_FIND_ROOT_PATH /usr/${TOOLCHAIN_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Link zlib statically: the executable must not need a zlib DLL.
set(ZLIB_LIBRARY /usr/${TOOLCHAIN_PREFIX}/lib/libz.a CACHE FILEPATH "")
set(ZLIB_INCLUDE_DIR /usr/${TOOLCHAIN_PREFIX}/include CACHE PATH "")

# Tests run through Wine; the launcher lives in Wine's library folder.
find_program(TAVRIN_WINE64 NAMES wine64 PATHS /usr/lib/wine /usr/lib64/wine NO_DEFAULT_PATH)
if(TAVRIN_WINE64)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${TAVRIN_WINE64})
endif()
