# Warnings are errors on both compilers; sanitizers apply to every target so
# that GoogleTest and the engine share one runtime.
add_compile_options(-Wall -Wextra -Werror)

if(TAVRIN_SANITIZE)
  string(REPLACE ";" "," _sanitizers "${TAVRIN_SANITIZE}")
  add_compile_options(-fsanitize=${_sanitizers} -fno-omit-frame-pointer -fno-sanitize-recover=all -g)
  add_link_options(-fsanitize=${_sanitizers})
endif()

# Format checking for the engine's printf-style calls: mingw's runtime is made
# C99-conforming, so both builds check the same (GNU) format language.
if(WIN32)
  add_compile_definitions(TAVRIN_PRINTF_FORMAT=gnu_printf __USE_MINGW_ANSI_STDIO=1)
else()
  add_compile_definitions(TAVRIN_PRINTF_FORMAT=printf)
endif()

if(WIN32)
  # One self-contained executable that runs on a clean Windows or under Wine.
  add_link_options(-static -static-libgcc -static-libstdc++)
  add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
  # Crash reports name functions and lines through the debug-help library;
  # Wine's (8.0) reads DWARF up to version 4 only, and GCC 12 writes 5.
  add_compile_options($<$<CONFIG:Debug,RelWithDebInfo>:-gdwarf-4>)
endif()
