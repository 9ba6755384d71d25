# The gzip stream's tests decompress what the system's gzip wrote. The samples
# are made at build time on the build machine; the Windows tests, which run
# under Wine, reach them through Wine's drive Z: (the Unix root).
find_program(TAVRIN_GZIP gzip)
if(NOT TAVRIN_GZIP OR NOT TARGET KernelTests)
  return()
endif()
set(_dir "${CMAKE_BINARY_DIR}/TestData/gzip")
add_custom_command(
  OUTPUT "${_dir}/multi.gz"
  COMMAND "${CMAKE_COMMAND}" -DOUT=${_dir} -DGZIP=${TAVRIN_GZIP} -P "${PROJECT_SOURCE_DIR}/CMake/TavrinGzipSamples.cmake"
  DEPENDS "${PROJECT_SOURCE_DIR}/CMake/TavrinGzipSamples.cmake"
  COMMENT "Compressing the gzip test samples")
add_custom_target(TavrinGzipSamples DEPENDS "${_dir}/multi.gz")
add_dependencies(KernelTests TavrinGzipSamples)
if(CMAKE_CROSSCOMPILING)
  set(_dir "Z:${_dir}")
endif()
target_compile_definitions(KernelTests PRIVATE TAVRIN_GZIP_SAMPLES="${_dir}")
