# Install layout, manual page and Debian package of ulpscope.
#
# The one fact to know: the version is the one in project() at the top of the
# tree. The manual page is configured from doc/ulpscope.1.in with it, CPack
# takes the same number for the package, and doc/changelog must start with an
# entry for it, so nothing here repeats it.
# Requires: the ulpscope target exists: include this after src/, before tests/.

include(GNUInstallDirs)

# The configured page; tests/package lints and compares against this file.
set(ULPSCOPE_MAN_PAGE ${PROJECT_BINARY_DIR}/doc/ulpscope.1)
configure_file(${PROJECT_SOURCE_DIR}/doc/ulpscope.1.in ${ULPSCOPE_MAN_PAGE} @ONLY)

# The changelog's newest entry is the version being built.
file(STRINGS ${PROJECT_SOURCE_DIR}/doc/changelog newest_entry LIMIT_COUNT 1)
if(NOT newest_entry MATCHES "^ulpscope \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "doc/changelog must begin with an entry for ${PROJECT_VERSION}, not: ${newest_entry}")
endif()
configure_file(${PROJECT_SOURCE_DIR}/doc/changelog ${PROJECT_BINARY_DIR}/doc/changelog COPYONLY)

# The package's copyright file, in Debian's machine-readable form, carrying
# the licence text of LICENSE (continuation lines indented, empty ones as " .").
file(READ ${PROJECT_SOURCE_DIR}/LICENSE licence_text)
string(REGEX REPLACE "\n+$" "" licence_text "${licence_text}")
string(REGEX REPLACE "\n\n" "\n.\n" licence_text "${licence_text}")
string(REPLACE "\n" "\n " licence_text "${licence_text}")
string(REGEX MATCH "Copyright \\(c\\) ([^\n]+)" licence_holder "${licence_text}")
set(ULPSCOPE_COPYRIGHT ${PROJECT_BINARY_DIR}/doc/copyright)
file(WRITE ${ULPSCOPE_COPYRIGHT}
  "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n"
  "Upstream-Name: ulpscope\n"
  "\n"
  "Files: *\n"
  "Copyright: ${CMAKE_MATCH_1}\n"
  "License: MIT\n"
  " ${licence_text}\n")

install(TARGETS ulpscope RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# A stripped install (cpack, cmake --install --strip) also drops the compiler
# notes that strip keeps, as Debian strips its own programs.
if(NOT WIN32 AND CMAKE_STRIP)
  install(CODE "
    if(CMAKE_INSTALL_DO_STRIP)
      execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment --remove-section=.note
        \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/$<TARGET_FILE_NAME:ulpscope>\"
        COMMAND_ERROR_IS_FATAL ANY)
    endif()")
endif()
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
if(WIN32)
  install(FILES ${ULPSCOPE_MAN_PAGE} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR})
else()
  # Compressed as Debian ships them: gzip -9, without name or time stamp, so
  # that the same sources give the same bytes.
  find_program(ULPSCOPE_GZIP gzip REQUIRED)
  foreach(file ${ULPSCOPE_MAN_PAGE} ${PROJECT_BINARY_DIR}/doc/changelog)
    execute_process(COMMAND ${ULPSCOPE_GZIP} -9 -n -c ${file} OUTPUT_FILE ${file}.gz
                    RESULT_VARIABLE gzip_status)
    if(NOT gzip_status EQUAL 0)
      message(FATAL_ERROR "gzip ${file}: ${gzip_status}")
    endif()
  endforeach()
  install(FILES ${ULPSCOPE_MAN_PAGE}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${PROJECT_BINARY_DIR}/doc/changelog.gz ${ULPSCOPE_COPYRIGHT}
          DESTINATION ${CMAKE_INSTALL_DOCDIR})
  # lintian's one false positive for this binary, with the reason in the file.
  install(FILES ${PROJECT_SOURCE_DIR}/doc/lintian-overrides
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/lintian/overrides RENAME ulpscope)
endif()

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
# Folders of the package as Debian wants them, whatever the builder's umask.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
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
