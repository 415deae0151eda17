# 32-bit Windows (x86) with i686-w64-mingw32-g++-posix: the platform the tool
# was designed for.
#
# The one fact to know: without -msse2 -mfpmath=sse, 32-bit code does double
# arithmetic on the x87 unit, whose extended precision ignores flush-to-zero
# and denormals-are-zero, and the results file would differ. Windows only
# promises a 4-byte aligned stack to the functions it calls back; the one such
# function of the tool (the console-event handler) realigns its own.
set(CMAKE_SYSTEM_PROCESSOR X86)
set(ULPSCOPE_MINGW_TARGET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")
