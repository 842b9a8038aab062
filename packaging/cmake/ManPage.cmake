# Turns the manual page's scdoc source into roff.
# Run as: cmake -DSCDOC=scdoc -DINPUT=page.scd -DOUTPUT=page.1 -P ManPage.cmake
execute_process(COMMAND "${SCDOC}" INPUT_FILE "${INPUT}" OUTPUT_FILE "${OUTPUT}"
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  file(REMOVE "${OUTPUT}")
  message(FATAL_ERROR "scdoc could not turn ${INPUT} into a manual page (${status})")
endif()
