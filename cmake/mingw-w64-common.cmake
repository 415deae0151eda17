# The part the two Windows toolchain files share: cross compiling with the
# mingw-w64 compilers of the posix thread model, into one static executable.
#
# The one fact to know: the executable must run on a bare Windows, so the C
# and C++ runtimes and the thread library are linked in (-static); there is no
# DLL to ship beside ulpscope.exe.
#
# Requires: ULPSCOPE_MINGW_TARGET set to the compiler's target triple.

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_CXX_COMPILER ${ULPSCOPE_MINGW_TARGET}-g++-posix)
set(CMAKE_AR ${ULPSCOPE_MINGW_TARGET}-gcc-ar-posix CACHE FILEPATH "archiver")
set(CMAKE_RANLIB ${ULPSCOPE_MINGW_TARGET}-gcc-ranlib-posix CACHE FILEPATH "archive indexer")

# Libraries and headers of the target only; programs from the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${ULPSCOPE_MINGW_TARGET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
