# Packages made by CPack from the installed program: a .deb on Linux, a .zip
# on Windows. Names and version come from the project.
set(CPACK_PACKAGE_NAME "keyscout")
set(CPACK_PACKAGE_VENDOR "Tavrin")
set(CPACK_PACKAGE_CONTACT "Keyscout developers <keyscout@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Shows the input names of the keys, buttons, axes and wheel you press")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_DIRECTORY "${PROJECT_BINARY_DIR}/packages")

if(WIN32)
  install(TARGETS keyscout RUNTIME DESTINATION . COMPONENT keyscout)
  # The symbols crash reports name their frames with, read from beside the exe.
  install(FILES "$<TARGET_FILE_DIR:keyscout>/keyscout.pdb" DESTINATION . COMPONENT keyscout)
  install(FILES "${PROJECT_SOURCE_DIR}/README.md" DESTINATION . COMPONENT keyscout)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME "keyscout-${PROJECT_VERSION}-win64")
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
else()
  set(_linux "${PROJECT_SOURCE_DIR}/Src/Tools/Keyscout/Linux")
  install(TARGETS keyscout RUNTIME DESTINATION bin COMPONENT keyscout)
  install(FILES "${_linux}/keyscout.desktop" DESTINATION share/applications COMPONENT keyscout)
  install(FILES "${_linux}/keyscout.svg" DESTINATION share/icons/hicolor/scalable/apps COMPONENT keyscout)
  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION devel)
  # Dependencies on the Debian packages of the shared libraries it links.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
endif()
# Only the program: not the test programs, nor GoogleTest's install rules.
set(CPACK_COMPONENTS_ALL keyscout)
set(CPACK_DEB_COMPONENT_INSTALL OFF)
set(CPACK_ARCHIVE_COMPONENT_INSTALL OFF)
include(CPack)
