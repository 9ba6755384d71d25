# Packages made by CPack from the installed program: a .deb on Linux, a .zip
# on Windows. Names and version come from the project.
set(CPACK_PACKAGE_NAME "keyscout")
set(CPACK_PACKAGE_VENDOR "Tavrin")
set(CPACK_PACKAGE_CONTACT "Keyscout developers <keyscout@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Shows the input names of the keys, buttons, axes and wheel you press")
# Debian wants the extended description in lines of at most 80 characters.
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "Keyscout tells game developers the exact names under which the engine's\n"
  "input mapper knows the keys, mouse buttons, wheel, joystick buttons, axes\n"
  "and hat arrows they press, joined by plus signs (for example leftctrl + a).\n"
  "A small dialog starts each detection; keyscout --once detects once and\n"
  "prints the names on standard output.")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_DIRECTORY "${PROJECT_BINARY_DIR}/packages")
# A package is made from the program alone: installing must not first build
# every test and benchmark.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
set(_packaging "${PROJECT_SOURCE_DIR}/Src/Tools/Keyscout/Packaging")

if(WIN32)
  install(TARGETS keyscout RUNTIME DESTINATION . COMPONENT keyscout)
  # The symbols crash reports name their frames with, read from beside the exe.
  install(FILES "$<TARGET_FILE_DIR:keyscout>/keyscout.pdb" DESTINATION . COMPONENT keyscout)
  install(FILES "${_packaging}/README-Windows.txt" DESTINATION . RENAME README.txt COMPONENT keyscout)
  install(FILES "${PROJECT_SOURCE_DIR}/LICENSE.txt" DESTINATION . COMPONENT keyscout)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME "keyscout-${PROJECT_VERSION}-win64")
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
else()
  include(TavrinLinuxDocs)
  set(_linux "${PROJECT_SOURCE_DIR}/Src/Tools/Keyscout/Linux")
  install(TARGETS keyscout RUNTIME DESTINATION bin COMPONENT keyscout)
  # The dialog's library, where the program looks for it from bin/.
  install(TARGETS keyscout-gtk LIBRARY DESTINATION "${KEYSCOUT_LIBRARY_DIR}" COMPONENT keyscout)
  install(FILES "${_linux}/keyscout.desktop" DESTINATION share/applications COMPONENT keyscout)
  install(FILES "${_linux}/keyscout.svg" DESTINATION share/icons/hicolor/scalable/apps COMPONENT keyscout)
  foreach(size IN LISTS TAVRIN_ICON_SIZES)
    install(FILES "${TAVRIN_DOCS_DIR}/icons/${size}/keyscout.png"
      DESTINATION share/icons/hicolor/${size}x${size}/apps COMPONENT keyscout)
  endforeach()
  install(FILES "${TAVRIN_DOCS_DIR}/keyscout.1.gz" DESTINATION share/man/man1 COMPONENT keyscout)
  install(FILES "${TAVRIN_DOCS_DIR}/org.tavrin.keyscout.metainfo.xml" DESTINATION share/metainfo COMPONENT keyscout)
  install(FILES "${_packaging}/copyright" "${TAVRIN_DOCS_DIR}/changelog.gz"
    DESTINATION share/doc/keyscout COMPONENT keyscout)
  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION devel)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
  # Dependencies on the Debian packages of the shared libraries it links.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  # Loaded at run time, so not found among the linked libraries: the window
  # decorations SDL draws on Wayland. (The program's icon is built into it.)
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libdecor-0-plugin-1-cairo")
  # The program ships stripped; its symbols go to a -dbgsym package under
  # /usr/lib/debug/.build-id, where debuggers and crash tools look.
  set(CPACK_DEBIAN_DEBUGINFO_PACKAGE ON)
endif()
# Only the program: not the test programs, nor GoogleTest's install rules.
set(CPACK_COMPONENTS_ALL keyscout)
set(CPACK_DEB_COMPONENT_INSTALL OFF)
set(CPACK_ARCHIVE_COMPONENT_INSTALL OFF)
include(CPack)
