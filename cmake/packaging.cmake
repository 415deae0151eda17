# Install layout, manual page and Debian package of ulpscope.
#
# The one fact to know: the version is the one in project() at the top of the
# tree. The manual page is configured from doc/ulpscope.1.in with it, and
# CPack takes the same number for the package, so nothing here repeats it.
# Requires: the ulpscope target exists: include this after src/, before tests/.

include(GNUInstallDirs)

# The configured page; tests/package lints and compares against this file.
set(ULPSCOPE_MAN_PAGE ${PROJECT_BINARY_DIR}/doc/ulpscope.1)
configure_file(${PROJECT_SOURCE_DIR}/doc/ulpscope.1.in ${ULPSCOPE_MAN_PAGE} @ONLY)

install(TARGETS ulpscope RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${ULPSCOPE_MAN_PAGE} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(ULPSCOPE_PACKAGE_MAINTAINER "ulpscope maintainers <maintainers@ulpscope.invalid>"
    CACHE STRING "Maintainer field of the Debian package")

# A Debian package on Unix; elsewhere only an archive of the same layout.
if(WIN32)
  set(CPACK_GENERATOR ZIP)
else()
  set(CPACK_GENERATOR DEB)
endif()
set(CPACK_PACKAGE_NAME ulpscope)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "ulpscope")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "spacing of binary64 doubles, value by value, in a results file")
# Lines of at most 80 characters, as dpkg shows them.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "ulpscope asks for a results-file name and ranges of doubles. For every x"
  "of a sweep it decomposes x into fraction and exponent, computes ULP(x),"
  "forms the probes x + ulp, x + ulp/2 and x + ulp/4, and records in"
  "<name>.rez whether each still differs from x and by how much, with"
  "flush-to-zero and denormals-are-zero on.")
set(CPACK_STRIP_FILES ON)
set(CPACK_SOURCE_IGNORE_FILES "/build/" "/\\\\.git/")

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${ULPSCOPE_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION math)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)

# The dependencies come from the binary itself where dpkg-shlibdeps (dpkg-dev)
# is there; otherwise the list it gives for a GCC 12 build on Debian 12.
find_program(ULPSCOPE_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(ULPSCOPE_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6 (>= 2.34), libgcc-s1 (>= 3.0), libstdc++6 (>= 11)")
endif()

include(CPack)
