# The files a Debian package carries beside the program: the man page and
# changelog (compressed as Debian wants them), the AppStream metainfo, and
# PNG icons rendered from the SVG. Built with the program.
set(TAVRIN_DOCS_DIR "${PROJECT_BINARY_DIR}/package-docs")
set(TAVRIN_ICON_SIZES 16 24 32 48 64 128 256)
set(_packaging "${PROJECT_SOURCE_DIR}/Src/Tools/Keyscout/Packaging")
set(_svg "${PROJECT_SOURCE_DIR}/Src/Tools/Keyscout/Linux/keyscout.svg")

configure_file("${_packaging}/keyscout.1.in" "${TAVRIN_DOCS_DIR}/keyscout.1" @ONLY)
configure_file("${_packaging}/changelog.in" "${TAVRIN_DOCS_DIR}/changelog" @ONLY)
configure_file("${_packaging}/keyscout.metainfo.xml.in" "${TAVRIN_DOCS_DIR}/org.tavrin.keyscout.metainfo.xml" @ONLY)

find_program(GZIP_PROGRAM gzip REQUIRED)
find_program(RSVG_CONVERT rsvg-convert REQUIRED)
set(_outputs)
foreach(name keyscout.1 changelog)
  add_custom_command(OUTPUT "${TAVRIN_DOCS_DIR}/${name}.gz"
    COMMAND "${GZIP_PROGRAM}" -9nf -k "${TAVRIN_DOCS_DIR}/${name}"
    DEPENDS "${TAVRIN_DOCS_DIR}/${name}" VERBATIM)
  list(APPEND _outputs "${TAVRIN_DOCS_DIR}/${name}.gz")
endforeach()
foreach(size IN LISTS TAVRIN_ICON_SIZES)
  set(_png "${TAVRIN_DOCS_DIR}/icons/${size}/keyscout.png")
  add_custom_command(OUTPUT "${_png}"
    COMMAND "${CMAKE_COMMAND}" -E make_directory "${TAVRIN_DOCS_DIR}/icons/${size}"
    COMMAND "${RSVG_CONVERT}" -w ${size} -h ${size} -o "${_png}" "${_svg}"
    DEPENDS "${_svg}" VERBATIM)
  list(APPEND _outputs "${_png}")
endforeach()
add_custom_target(keyscout_package_docs DEPENDS ${_outputs})
add_dependencies(keyscout keyscout_package_docs)
