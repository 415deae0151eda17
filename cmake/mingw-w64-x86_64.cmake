# 64-bit Windows (x86-64) with x86_64-w64-mingw32-g++-posix: ulpscope.exe as
# the one that is run under wine here.
#
# Doubles use SSE2 on x86-64 anyway, so the floating-point modes govern all
# double arithmetic without any flag.
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(ULPSCOPE_MINGW_TARGET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
