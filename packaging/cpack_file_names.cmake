# Read by CPack for each generator (CPACK_PROJECT_CONFIG_FILE): the Windows setup and zip get
# names of their own, zr640-<version>-setup.exe and zr640-<version>-win64.zip.
if(CPACK_GENERATOR STREQUAL "NSIS")
  set(CPACK_PACKAGE_FILE_NAME "zr640-${CPACK_PACKAGE_VERSION}-setup")
elseif(CPACK_GENERATOR STREQUAL "ZIP")
  set(CPACK_PACKAGE_FILE_NAME "zr640-${CPACK_PACKAGE_VERSION}-win64")
endif()
