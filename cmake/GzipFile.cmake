# cmake -DIN=FILE -DOUT=FILE.gz -P GzipFile.cmake
# Compresses FILE the way Debian wants installed manual pages and changelogs:
# best compression, no name and no time stamp in the header, so the same
# input always gives the same bytes.
find_program(GZIP_PROGRAM gzip REQUIRED)
execute_process(COMMAND ${GZIP_PROGRAM} -9 -n -c ${IN}
                OUTPUT_FILE ${OUT}.part
                RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  file(REMOVE ${OUT}.part)
  message(FATAL_ERROR "gzip ${IN} failed: ${result}")
endif()
file(RENAME ${OUT}.part ${OUT})
