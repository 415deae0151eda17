# Build-level speed of the tool: static linking, link-time optimisation and
# profile-guided optimisation, each an option, all off by default.
#
#   ULPSCOPE_STATIC  the tool linked statically (static PIE where the compiler
#                    builds position-independent executables)
#   ULPSCOPE_LTO     link-time optimisation of every target
#   ULPSCOPE_PGO     profile-guided build: an instrumented copy of the tool is
#                    built in <build>/profile-training, runs the benchmark's
#                    sweep (bench/answers/sweep.txt), and the tool here is
#                    compiled from the counts it leaves; code never run in
#                    training goes to .text.unlikely, away from the hot path
#
# The one fact to know: the instrumented and the optimised objects live in
# different build trees, so both compile with -fprofile-prefix-path set to
# their own tree; the profile files are then named by the object's path
# inside the tree, which is the same in both.
# Requires: the targets of src/ exist: include this after src/.

option(ULPSCOPE_STATIC "Link the tool statically" OFF)
option(ULPSCOPE_LTO "Link-time optimisation" OFF)
option(ULPSCOPE_PGO "Profile-guided optimisation, trained on the benchmark sweep" OFF)
# Set by ULPSCOPE_PGO for the training tree: where the instrumented tool writes its counts.
set(ULPSCOPE_PROFILE_GENERATE "" CACHE PATH "Instrument the tool; its counts go to this folder")
mark_as_advanced(ULPSCOPE_PROFILE_GENERATE)

# Everything the tool is made of; tests and benchmarks link the same libraries.
set(ulpscope_tool_targets ulpscope_probe ulpscope_platform ulpscope_textio_format ulpscope_textio_input
    ulpscope_textio ulpscope_report ulpscope_dialogue ulpscope)

if((ULPSCOPE_STATIC OR ULPSCOPE_LTO OR ULPSCOPE_PGO OR ULPSCOPE_PROFILE_GENERATE)
   AND NOT CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  message(FATAL_ERROR "ULPSCOPE_STATIC, ULPSCOPE_LTO and ULPSCOPE_PGO are written for GCC")
endif()

if(ULPSCOPE_LTO)
  include(CheckIPOSupported)
  check_ipo_supported()
  # The tool's targets only: a test compiled with them would let the optimiser
  # fold its constant doubles at compile time, where flush-to-zero and
  # denormals-are-zero do not apply.
  set_property(TARGET ${ulpscope_tool_targets} PROPERTY INTERPROCEDURAL_OPTIMIZATION ON)
endif()

if(ULPSCOPE_STATIC)
  # A position-independent executable stays one when linked statically, so the
  # address-space layout is still randomised.
  include(CheckPIESupported)
  check_pie_supported()
  get_target_property(ulpscope_pie ulpscope POSITION_INDEPENDENT_CODE)
  if(ulpscope_pie OR CMAKE_CXX_FLAGS MATCHES "-fPIE|-fpie" OR CMAKE_EXE_LINKER_FLAGS MATCHES "(^| )-pie")
    target_link_options(ulpscope PRIVATE -static-pie)
  else()
    target_link_options(ulpscope PRIVATE -static)
  endif()
endif()

if(ULPSCOPE_PROFILE_GENERATE)
  set(ulpscope_profile_flags -fprofile-generate=${ULPSCOPE_PROFILE_GENERATE}
      -fprofile-prefix-path=${PROJECT_BINARY_DIR} -fprofile-update=single)
  foreach(target IN LISTS ulpscope_tool_targets)
    target_compile_options(${target} PRIVATE ${ulpscope_profile_flags})
  endforeach()
  target_link_options(ulpscope PRIVATE ${ulpscope_profile_flags})
endif()

if(NOT ULPSCOPE_PGO)
  return()
endif()
if(ULPSCOPE_PROFILE_GENERATE)
  message(FATAL_ERROR "ULPSCOPE_PGO builds its own instrumented tree; leave ULPSCOPE_PROFILE_GENERATE empty")
endif()

# Step 1: the instrumented tool, built with the same compiler, flags and options.
include(ExternalProject)
set(ulpscope_training_tree ${PROJECT_BINARY_DIR}/profile-training)
set(ulpscope_profile_folder ${PROJECT_BINARY_DIR}/profile)
ExternalProject_Add(ulpscope_instrumented
  SOURCE_DIR ${PROJECT_SOURCE_DIR}
  BINARY_DIR ${ulpscope_training_tree}
  CMAKE_ARGS
    -DCMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE}
    -DCMAKE_CXX_COMPILER=${CMAKE_CXX_COMPILER}
    -DCMAKE_CXX_FLAGS=${CMAKE_CXX_FLAGS}
    -DCMAKE_EXE_LINKER_FLAGS=${CMAKE_EXE_LINKER_FLAGS}
    -DULPSCOPE_TESTS=OFF
    -DULPSCOPE_STATIC=${ULPSCOPE_STATIC}
    -DULPSCOPE_LTO=${ULPSCOPE_LTO}
    -DULPSCOPE_PROFILE_GENERATE=${ulpscope_profile_folder}
  BUILD_COMMAND ${CMAKE_COMMAND} --build ${ulpscope_training_tree} --target ulpscope
  BUILD_ALWAYS ON
  INSTALL_COMMAND ""
  BUILD_BYPRODUCTS ${ulpscope_training_tree}/ulpscope)

# Step 2: the training run, from an empty profile folder, so that counts of an
# older build never add up with these.
set(ulpscope_profile_stamp ${ulpscope_profile_folder}/trained)
add_custom_command(OUTPUT ${ulpscope_profile_stamp}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${ulpscope_profile_folder}
  COMMAND ${CMAKE_COMMAND} -DTOOL=${ulpscope_training_tree}/ulpscope
          -DANSWERS=${PROJECT_SOURCE_DIR}/bench/answers/sweep.txt -DWORK=${ulpscope_training_tree}/run
          -P ${PROJECT_SOURCE_DIR}/cmake/profile_training.cmake
  COMMAND ${CMAKE_COMMAND} -E touch ${ulpscope_profile_stamp}
  DEPENDS ${ulpscope_training_tree}/ulpscope ${PROJECT_SOURCE_DIR}/bench/answers/sweep.txt
          ${PROJECT_SOURCE_DIR}/cmake/profile_training.cmake
  COMMENT "Training the instrumented ulpscope on the benchmark sweep"
  VERBATIM)
add_custom_target(ulpscope_profile DEPENDS ${ulpscope_profile_stamp})
add_dependencies(ulpscope_profile ulpscope_instrumented)

# Step 3: every object of the tool compiled from the counts, and compiled again
# whenever a new training has run. Every object of the tool is linked into the
# instrumented one and leaves counts, so a missing profile is a broken training.
set(ulpscope_profile_flags -fprofile-use=${ulpscope_profile_folder} -fprofile-prefix-path=${PROJECT_BINARY_DIR}
    -Werror=missing-profile)
foreach(target IN LISTS ulpscope_tool_targets)
  add_dependencies(${target} ulpscope_profile)
  target_compile_options(${target} PRIVATE ${ulpscope_profile_flags})
  get_target_property(sources ${target} SOURCES)
  get_target_property(folder ${target} SOURCE_DIR)
  foreach(source IN LISTS sources)
    cmake_path(ABSOLUTE_PATH source BASE_DIRECTORY ${folder})
    set_property(SOURCE ${source} TARGET_DIRECTORY ${target} APPEND PROPERTY OBJECT_DEPENDS ${ulpscope_profile_stamp})
  endforeach()
endforeach()
target_link_options(ulpscope PRIVATE ${ulpscope_profile_flags})
