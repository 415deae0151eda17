# Hardening of the optimised builds: the flags Debian builds its own packages
# with, so that the installed tool and the .deb carry them.
#
# The one fact to know: they apply to Release only. _FORTIFY_SOURCE needs the
# optimiser, and the Debug, sanitizer and fuzz builds want neither the checks
# nor their cost. Windows executables get none of them (the -z options are
# ELF linker options, and the stack protector would need libssp there).
# Requires: included after project(), before the targets are made.

if(WIN32)
  return()
endif()

# Position-independent executables, checked against this compiler and linker.
include(CheckPIESupported)
check_pie_supported(LANGUAGES CXX)
set(CMAKE_POSITION_INDEPENDENT_CODE ON)

set(release "$<CONFIG:Release>")
add_compile_options(
  "$<${release}:-fstack-protector-strong>"
  "$<${release}:-Wformat>"
  "$<${release}:-Werror=format-security>")
# Level 3, whatever level a compiler would set by itself (hence the -U first).
# Level 2 checks only copies into objects of a size known when compiling, and
# every such copy of this tool is proven safe, so it would check nothing;
# level 3 also checks those whose sizes are known only at run time. (A C
# library older than glibc 2.34 treats it as level 2.)
add_compile_options("$<${release}:-U_FORTIFY_SOURCE>" "$<${release}:-D_FORTIFY_SOURCE=3>")
# Full RELRO: the relocations are done at start (BIND_NOW), then read-only.
add_link_options("$<${release}:LINKER:-z,relro>" "$<${release}:LINKER:-z,now>")
