# SPDX-License-Identifier: GPL-3.0-or-later
# Read by CPack for each generator (CPACK_PROJECT_CONFIG_FILE).

# The Windows setup and zip get names of their own, zr640-<version>-setup.exe and
# zr640-<version>-win64.zip.
if(CPACK_GENERATOR STREQUAL "NSIS")
  set(CPACK_PACKAGE_FILE_NAME "zr640-${CPACK_PACKAGE_VERSION}-setup")
elseif(CPACK_GENERATOR STREQUAL "ZIP")
  set(CPACK_PACKAGE_FILE_NAME "zr640-${CPACK_PACKAGE_VERSION}-win64")
endif()

# Every file in the .deb and the zip carries the time of SOURCE_DATE_EPOCH, so that two builds
# of one commit give the same bytes; when it is not set, the time of the last commit.
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
  execute_process(COMMAND git log -1 --format=%ct
    WORKING_DIRECTORY ${CPACK_ZR640_SOURCE_DIR}
    OUTPUT_VARIABLE commit_time OUTPUT_STRIP_TRAILING_WHITESPACE
    RESULT_VARIABLE status ERROR_QUIET)
  if(status EQUAL 0 AND commit_time MATCHES "^[0-9]+$")
    set(ENV{SOURCE_DATE_EPOCH} ${commit_time})
  else()
    message(WARNING "No SOURCE_DATE_EPOCH and no commit to take it from: the packages carry "
      "the files' own times and differ from build to build")
  endif()
endif()
