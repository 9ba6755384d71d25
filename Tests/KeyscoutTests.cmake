# The tool's detection run is tested on every platform. The Windows tests
# also cover the dialog with its resources, and the end-to-end run uses a
# small probe that reads the dialog back.
set(_keyscout "${PROJECT_SOURCE_DIR}/Src/Tools/Keyscout")
tavrin_add_test_program(KeyscoutTests "${CMAKE_CURRENT_SOURCE_DIR}/Tools/Keyscout" KeyscoutCore)
if(WIN32)
  enable_language(RC)
  target_sources(KeyscoutTests PRIVATE "${_keyscout}/Windows/CKeyscoutDialog.cpp" "${_keyscout}/Windows/Keyscout.rc")
  target_include_directories(KeyscoutTests PRIVATE "${_keyscout}/Windows")
  add_executable(keyscout_probe "${CMAKE_CURRENT_SOURCE_DIR}/EndToEnd/KeyscoutProbe.cpp")
  target_link_libraries(keyscout_probe PRIVATE user32)
endif()
if(NOT WIN32 AND TAVRIN_SDL)
  target_sources(KeyscoutTests PRIVATE "${_keyscout}/Linux/ReportFolder.cpp")
  target_sources(KeyscoutTests PRIVATE "${_keyscout}/Linux/Dialog/CJoystickWatch.cpp")
endif()
