# The training run of a profile-guided build: the instrumented tool answers
# the benchmark's dialogue in a scratch folder, and its counts land in the
# profile folder it was compiled with.
#
#   cmake -DTOOL=<instrumented ulpscope> -DANSWERS=<answers file> -DWORK=<scratch folder> -P profile_training.cmake
#
# The one fact to know: the run has no terminal (setsid), so the tool does not
# wait for a key at its end.
foreach(variable TOOL ANSWERS WORK)
  if(NOT DEFINED ${variable})
    message(FATAL_ERROR "profile_training.cmake: ${variable} is not set")
  endif()
endforeach()

file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
find_program(SETSID setsid REQUIRED)
execute_process(COMMAND ${SETSID} -w ${TOOL}
  INPUT_FILE ${ANSWERS}
  OUTPUT_QUIET
  WORKING_DIRECTORY ${WORK}
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "profile_training.cmake: the training run ended with ${status}")
endif()
file(GLOB results ${WORK}/*.rez)
if(NOT results)
  message(FATAL_ERROR "profile_training.cmake: the training run wrote no results file")
endif()
file(REMOVE_RECURSE ${WORK})
