# SPDX-License-Identifier: GPL-3.0-or-later
# Release packages with CPack (cmake --build --preset linux|windows --target package), named
# with the project's version: zr640_<version>_amd64.deb on Linux, zr640-<version>-setup.exe
# (NSIS, from packaging/nsis/NSIS.template.in) and zr640-<version>-win64.zip for Windows.
set(CPACK_PACKAGE_NAME zr640)
set(CPACK_PACKAGE_VENDOR "zr640")
# The project's own address, under .invalid until it has a domain.
set(CPACK_PACKAGE_CONTACT "zr640 maintainers <maintainers@zr640.invalid>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "Telemetry log, waypoint and task upload for the ZR640 glider flight instrument")
# In lines of at most 80 characters, which the .deb's description keeps as they are.
set(CPACK_PACKAGE_DESCRIPTION "One German dialog that shows the telemetry the ZR640 sends as a log,
uploads waypoint files and sends the route of zr640.ini as a task.
With zr640-sim, a simulator of the instrument on a pseudo-terminal.")
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_SOURCE_DIR}/packaging/cpack_project_config.cmake)
# Where the last commit's time comes from when SOURCE_DATE_EPOCH is not set.
set(CPACK_ZR640_SOURCE_DIR ${CMAKE_SOURCE_DIR})

if(WIN32)
  set(CPACK_GENERATOR NSIS ZIP)
  set(CPACK_NSIS_PACKAGE_NAME ZR640)
  set(CPACK_NSIS_MUI_ICON ${CMAKE_SOURCE_DIR}/src/frontends/win32/zr640.ico)
  list(PREPEND CMAKE_MODULE_PATH ${CMAKE_SOURCE_DIR}/packaging/nsis)
  # The licence beside the program, in the zip and in Program Files, named for Notepad.
  install(FILES LICENSE DESTINATION . RENAME LICENSE.txt)
else()
  include(GNUInstallDirs)
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION misc)
  # Depends (Qt and the C++ runtime) as dpkg-shlibdeps finds them in the programs.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  # What goes into the package beside the programs: packaging/CMakeLists.txt.
endif()

include(CPack)
