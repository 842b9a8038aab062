# Compresses a file as Debian ships manual pages and changelogs: -9, and no name or time stamp
# inside, so the bytes depend only on the text.
# Run as: cmake -DGZIP=gzip -DINPUT=file -DOUTPUT=file.gz -P Gzip.cmake
execute_process(COMMAND "${GZIP}" -9 -n -c "${INPUT}" OUTPUT_FILE "${OUTPUT}"
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  file(REMOVE "${OUTPUT}")
  message(FATAL_ERROR "gzip could not compress ${INPUT} (${status})")
endif()
