# Fails when the disassembly of FILES holds x87 arithmetic: on 32-bit x86 the
# x87 unit ignores flush-to-zero and denormals-are-zero, so every double
# operation of the tool must be an SSE2 instruction.
#
# The one fact to know: the 32-bit calling convention returns a double or a
# float on the x87 stack, so plain loads and stores (fld, fst, fstp of 32 or 64
# bits, fxch) move values across calls and are allowed; they change no value
# the tool makes (only a signalling NaN would be made quiet, and the tool reads
# none). Every other x87 instruction is reported with its function.
#
#   cmake -DOBJDUMP=<objdump> -DFILES=<a.a;b.o> -P no_x87.cmake
cmake_minimum_required(VERSION 3.25)
foreach(variable OBJDUMP FILES)
  if(NOT ${variable})
    message(FATAL_ERROR "${variable} is not set")
  endif()
endforeach()

set(transport_and_control
    fld flds fldl fst fsts fstl fstp fstps fstpl fxch ffree fnstcw fldcw fwait fnclex fninit)

set(instructions 0)
set(findings "")
foreach(file IN LISTS FILES)
  execute_process(COMMAND ${OBJDUMP} -d -C --no-show-raw-insn ${file}
                  OUTPUT_VARIABLE listing RESULT_VARIABLE status ERROR_VARIABLE errors)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${OBJDUMP} failed on ${file}: ${errors}")
  endif()
  string(REPLACE ";" "," listing "${listing}")
  string(REPLACE "\n" ";" lines "${listing}")
  set(function "?")
  foreach(line IN LISTS lines)
    if(line MATCHES "^[0-9a-f]+ <(.*)>:$")
      set(function "${CMAKE_MATCH_1}")
    elseif(line MATCHES "^ *[0-9a-f]+:\t([a-z0-9]+)")
      math(EXPR instructions "${instructions} + 1")
      set(mnemonic "${CMAKE_MATCH_1}")
      if(mnemonic MATCHES "^f" AND NOT mnemonic IN_LIST transport_and_control)
        string(APPEND findings "\n  ${function}: ${line}")
      endif()
    endif()
  endforeach()
endforeach()

# A listing without instructions would pass any check.
if(instructions EQUAL 0)
  message(FATAL_ERROR "no instructions disassembled from ${FILES}")
endif()
if(findings)
  message(FATAL_ERROR "x87 arithmetic:${findings}")
endif()
message(STATUS "${instructions} instructions, no x87 arithmetic")
