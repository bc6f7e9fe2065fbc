# Release packages with CPack (cmake --build --preset linux|windows --target package), named
# with the project's version: zr640_<version>_amd64.deb on Linux, zr640-<version>-setup.exe
# (NSIS, from packaging/nsis/NSIS.template.in) and zr640-<version>-win64.zip for Windows.
set(CPACK_PACKAGE_NAME zr640)
set(CPACK_PACKAGE_VENDOR "zr640")
set(CPACK_PACKAGE_CONTACT "zr640 maintainers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "Telemetry log, waypoint and task upload for the ZR640 glider flight instrument")
set(CPACK_PACKAGE_DESCRIPTION "One German dialog that shows the telemetry the ZR640 sends as \
a log, uploads waypoint files and sends the route of zr640.ini as a task. With zr640-sim, a \
simulator of the instrument on a pseudo-terminal.")
set(CPACK_STRIP_FILES ON)
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_SOURCE_DIR}/packaging/cpack_file_names.cmake)

if(WIN32)
  set(CPACK_GENERATOR NSIS ZIP)
  set(CPACK_NSIS_PACKAGE_NAME ZR640)
  set(CPACK_NSIS_MUI_ICON ${CMAKE_SOURCE_DIR}/src/frontends/win32/zr640.ico)
  list(PREPEND CMAKE_MODULE_PATH ${CMAKE_SOURCE_DIR}/packaging/nsis)
else()
  include(GNUInstallDirs)
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION misc)
  # Depends (Qt and the C++ runtime) as dpkg-shlibdeps finds them in the programs.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  # The desktop entry starts the launcher, which starts zr640 in ~/zr640.
  install(FILES packaging/zr640.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(PROGRAMS packaging/zr640-launcher DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES packaging/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/zr640)
endif()

include(CPack)
