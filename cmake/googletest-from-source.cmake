# GoogleTest compiled by this build's own compiler, from the sources Debian's
# libgtest-dev ships in /usr/src/googletest: a cross build has no prebuilt
# library for its target. Included right after project() by presets that set
# CMAKE_PROJECT_ulpscope_INCLUDE to this file.
#
# The one fact to know: declared as GTest with OVERRIDE_FIND_PACKAGE, these
# targets are what the tests' own find_package(GTest) finds, so nothing under
# tests/ changes.
set(ULPSCOPE_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources to build with the tests")
if(NOT EXISTS ${ULPSCOPE_GOOGLETEST_SOURCE}/CMakeLists.txt)
  message(FATAL_ERROR "no GoogleTest sources in ${ULPSCOPE_GOOGLETEST_SOURCE} (Debian package libgtest-dev)")
endif()

set(BUILD_GMOCK OFF CACHE BOOL "GoogleMock is not used")
set(INSTALL_GTEST OFF CACHE BOOL "GoogleTest is built for the tests only")

include(FetchContent)
FetchContent_Declare(GTest SOURCE_DIR ${ULPSCOPE_GOOGLETEST_SOURCE} OVERRIDE_FIND_PACKAGE)
FetchContent_MakeAvailable(GTest)
