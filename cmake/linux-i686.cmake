# 32-bit x86 Linux with Debian's i686-linux-gnu-g++: the processor the tool was
# designed for, built here and run under user-mode emulation (qemu-i386, from
# the package qemu-user), since these machines cannot run 32-bit programs.
#
# The one fact to know: without -msse2 -mfpmath=sse, 32-bit code does double
# arithmetic on the x87 unit, whose extended precision ignores flush-to-zero
# and denormals-are-zero, and the results file would differ. The test
# x87_free_code checks the built libraries for x87 arithmetic.
# The build is static, so the emulator needs no 32-bit libraries of the host.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_CXX_COMPILER i686-linux-gnu-g++)
# GoogleTest's own project enables C as well.
set(CMAKE_C_COMPILER i686-linux-gnu-gcc)
set(CMAKE_AR i686-linux-gnu-gcc-ar CACHE FILEPATH "archiver")
set(CMAKE_RANLIB i686-linux-gnu-gcc-ranlib CACHE FILEPATH "archive indexer")
set(CMAKE_OBJDUMP i686-linux-gnu-objdump CACHE FILEPATH "disassembler")

# Libraries and headers of the target only; programs from the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/i686-linux-gnu)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# CTest, test discovery and the end-to-end harness start every program of this
# build through the emulator.
find_program(ULPSCOPE_QEMU_I386 qemu-i386)
if(NOT ULPSCOPE_QEMU_I386)
  message(FATAL_ERROR "qemu-i386 (Debian package qemu-user) is needed to run the programs of this build")
endif()
set(CMAKE_CROSSCOMPILING_EMULATOR ${ULPSCOPE_QEMU_I386})
