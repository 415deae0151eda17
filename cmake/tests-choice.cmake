# Whether the tests are built: the tool itself needs nothing but a compiler.
#
# The one fact to know: ULPSCOPE_TESTS left unset means "where GoogleTest is
# found, and never in a cross build"; the configure step then says when the
# tests are skipped and builds the tool. Set to ON, a missing GoogleTest is
# an error; set to OFF, the tests are skipped without looking.
# Sets: ULPSCOPE_TESTS (a normal variable when it was not given), and the
# GTest targets when the tests are built.

set(install_hint "on Debian: apt-get install libgtest-dev, or run ./quickstart test")
if(DEFINED ULPSCOPE_TESTS)
  if(ULPSCOPE_TESTS)
    find_package(GTest)
    if(NOT GTest_FOUND)
      message(FATAL_ERROR "ULPSCOPE_TESTS is ON but GoogleTest was not found (${install_hint})")
    endif()
  endif()
elseif(CMAKE_CROSSCOMPILING)
  set(ULPSCOPE_TESTS OFF)
  message(STATUS "Cross build: the tests are skipped (they run on the build machine; "
                 "-DULPSCOPE_TESTS=ON builds them anyway)")
else()
  find_package(GTest)
  if(GTest_FOUND)
    set(ULPSCOPE_TESTS ON)
  else()
    set(ULPSCOPE_TESTS OFF)
    message(WARNING "GoogleTest not found: the tool is built, the tests are skipped (${install_hint})")
  endif()
endif()
unset(install_hint)
