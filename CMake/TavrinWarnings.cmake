# A build folder keeps the compiler it was first configured with, whatever
# the toolchain file now names: the Windows one moved from GCC to clang.
if(CMAKE_CXX_COMPILER_TARGET AND NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  message(FATAL_ERROR "${CMAKE_BINARY_DIR} was configured with ${CMAKE_CXX_COMPILER}; the toolchain now "
                      "builds with clang: configure it afresh (cmake --preset windows --fresh).")
endif()

# Warnings are errors on both compilers; sanitizers apply to every target so
# that GoogleTest and the engine share one runtime.
add_compile_options(-Wall -Wextra -Werror)

if(TAVRIN_SANITIZE)
  string(REPLACE ";" "," _sanitizers "${TAVRIN_SANITIZE}")
  add_compile_options(-fsanitize=${_sanitizers} -fno-omit-frame-pointer -fno-sanitize-recover=all -g)
  add_link_options(-fsanitize=${_sanitizers})
endif()

# Format checking for the engine's printf-style calls: mingw's runtime is made
# C99-conforming, so every build checks the C99 format language. GCC names it
# gnu_printf on Windows (its printf there is Microsoft's older one); clang
# knows printf only, and checks C99 with it.
if(WIN32)
  add_compile_definitions(__USE_MINGW_ANSI_STDIO=1)
endif()
if(WIN32 AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  add_compile_definitions(TAVRIN_PRINTF_FORMAT=gnu_printf)
else()
  add_compile_definitions(TAVRIN_PRINTF_FORMAT=printf)
endif()

if(WIN32)
  # One self-contained executable that runs on a clean Windows or under Wine.
  add_link_options(-static -static-libgcc -static-libstdc++)
  add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
  # Crash reports name functions and lines through the debug-help library,
  # which on Windows reads PDB files only: CodeView, no DWARF (the toolchain
  # file has lld write each executable's PDB beside it).
  add_compile_options($<$<CONFIG:Debug,RelWithDebInfo>:-gcodeview>)
endif()
