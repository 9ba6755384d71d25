# Engine modules are static libraries made of every source below their folder.
# Platform code sits in platform folders; only the configuration's are built:
#   Windows/  the Windows build
#   Posix/    every other build
#   Linux/    the SDL platform layer (TAVRIN_SDL)
#   Null/     the null windows and input when there is no platform layer
# Folders are matched below `dir`, so the checkout's own path never counts.
function(_tavrin_platform_kept rel out_var)
  set(_sdl FALSE)
  if(NOT WIN32 AND TAVRIN_SDL)
    set(_sdl TRUE)
  endif()
  if(rel MATCHES "(^|/)Windows/")
    set(_keep ${WIN32})
  elseif(rel MATCHES "(^|/)Posix/")
    set(_keep TRUE)
    if(WIN32)
      set(_keep FALSE)
    endif()
  elseif(rel MATCHES "(^|/)Linux/")
    set(_keep ${_sdl})
  elseif(rel MATCHES "(^|/)Null/")
    set(_keep FALSE)
    if(NOT WIN32 AND NOT _sdl)
      set(_keep TRUE)
    endif()
  else()
    set(_keep TRUE)
  endif()
  set(${out_var} ${_keep} PARENT_SCOPE)
endfunction()

function(tavrin_platform_sources out_var dir)
  file(GLOB_RECURSE _all CONFIGURE_DEPENDS "${dir}/*.cpp" "${dir}/*.c")
  set(_kept "")
  foreach(_file IN LISTS _all)
    file(RELATIVE_PATH _rel "${dir}" "${_file}")
    _tavrin_platform_kept("${_rel}" _keep)
    if(_keep)
      list(APPEND _kept "${_file}")
    endif()
  endforeach()
  set(${out_var} "${_kept}" PARENT_SCOPE)
endfunction()

# A fault becomes an exception thrown as if the faulting instruction had made
# a call (Debug/*/CCrashHandler.cpp): trapping instructions need unwind
# entries of their own in every function that can be unwound through. Only
# the engine and its tests pay for that; code merely using inline engine
# headers (the benchmarks) keeps its ordinary optimisation.
# NOTE: clang has no such entries (it takes the flag and ignores it), and it
# proves a function that makes no call unable to throw. Code that must catch
# a fault therefore keeps the faulting work in a function of its own, holding
# no try block and no object with a destructor, and calls it where clang
# cannot see its body: in another source file, or through a pointer.
function(tavrin_unwind_through_faults target)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    target_compile_options(${target} PRIVATE -fnon-call-exceptions)
  endif()
endfunction()

function(tavrin_add_module name dir)
  tavrin_platform_sources(_sources "${dir}")
  add_library(${name} STATIC ${_sources})
  target_include_directories(${name} PUBLIC "${PROJECT_SOURCE_DIR}/Src")
  tavrin_unwind_through_faults(${name})
endfunction()
