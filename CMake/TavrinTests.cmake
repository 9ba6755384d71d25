# Test programs gather their sources by folder, so adding a test file needs no
# build change. Platform test folders follow the same rule as the engine's.
set(TAVRIN_TEST_SUPPORT "${PROJECT_SOURCE_DIR}/Tests/Support")

function(_tavrin_test_target name)
  target_include_directories(${name} PRIVATE "${PROJECT_SOURCE_DIR}/Src" "${PROJECT_SOURCE_DIR}/Tests")
  target_link_libraries(${name} PRIVATE gtest Threads::Threads)
  tavrin_unwind_through_faults(${name})
  # Under Wine the emulator set by the toolchain file launches the program.
  add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
  set_tests_properties(${name} PROPERTIES TIMEOUT 900)
  if(CMAKE_CROSSCOMPILING)
    # A private, quiet Wine prefix inside the build folder.
    set_tests_properties(${name} PROPERTIES ENVIRONMENT
      "WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix;WINEDEBUG=-all;WINEDLLOVERRIDES=mscoree,mshtml=")
  endif()
endfunction()

function(tavrin_add_test_program name dir)
  tavrin_platform_sources(_sources "${dir}")
  file(GLOB _support CONFIGURE_DEPENDS "${TAVRIN_TEST_SUPPORT}/*.cpp")
  add_executable(${name} ${_sources} ${_support})
  target_link_libraries(${name} PRIVATE ${ARGN})
  _tavrin_test_target(${name})
endfunction()

function(tavrin_add_concurrency_tests name dir)
  tavrin_platform_sources(_all "${dir}")
  list(FILTER _all INCLUDE REGEX "ConcurrencyTest\\.cpp$")
  if(NOT _all)
    return()
  endif()
  file(GLOB _support CONFIGURE_DEPENDS "${TAVRIN_TEST_SUPPORT}/*.cpp")
  add_executable(${name} ${_all} ${_support})
  target_link_libraries(${name} PRIVATE ${ARGN})
  _tavrin_test_target(${name})
  set_tests_properties(${name} PROPERTIES LABELS concurrency)
endfunction()
