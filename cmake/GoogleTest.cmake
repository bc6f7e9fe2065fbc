# SPDX-License-Identifier: GPL-3.0-or-later
# GoogleTest from Debian's packages: the installed libraries for native builds,
# the shipped sources (/usr/src/googletest) for the MinGW cross build.
if(CMAKE_CROSSCOMPILING)
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
  # Warnings as errors (CMAKE_COMPILE_WARNING_AS_ERROR) are for the project's own code.
  set_target_properties(gtest gtest_main gmock gmock_main PROPERTIES COMPILE_WARNING_AS_ERROR OFF)
  if(NOT TARGET GTest::gtest_main)
    add_library(GTest::gtest ALIAS gtest)
    add_library(GTest::gtest_main ALIAS gtest_main)
    add_library(GTest::gmock ALIAS gmock)
  endif()
else()
  find_package(GTest REQUIRED)
endif()
include(GoogleTest)

# zr640_add_test(NAME name SOURCES ... LIBS ... [RUN_SERIAL]): one GoogleTest executable, its
# cases registered one by one in CTest; RUN_SERIAL keeps them from running beside other tests
# (a paced line or a real-time reply limit would not hold its times on a loaded machine).
function(zr640_add_test)
  cmake_parse_arguments(ARG "RUN_SERIAL" "NAME" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${ARG_NAME} ${ARG_SOURCES})
  target_link_libraries(${ARG_NAME} PRIVATE ${ARG_LIBS} GTest::gtest_main GTest::gmock)
  if(WIN32)
    target_link_options(${ARG_NAME} PRIVATE -static)
  endif()
  gtest_discover_tests(${ARG_NAME} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
    PROPERTIES LABELS "${ARG_LABELS}" TIMEOUT 120 RUN_SERIAL ${ARG_RUN_SERIAL})
endfunction()
