# Runs orx-config --screenshot and checks that it ended by itself and left a picture.
# -DPROGRAM=... -DOUTPUT=...
file(REMOVE ${OUTPUT})
execute_process(COMMAND ${PROGRAM} --host 127.0.0.1 --screenshot ${OUTPUT}
                RESULT_VARIABLE result TIMEOUT 60)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "orx-config exited with ${result}")
endif()
file(SIZE ${OUTPUT} size)
if(size EQUAL 0)
  message(FATAL_ERROR "empty screenshot ${OUTPUT}")
endif()
file(READ ${OUTPUT} signature LIMIT 4 HEX)
if(NOT signature STREQUAL "89504e47")
  message(FATAL_ERROR "${OUTPUT} is not a PNG file")
endif()
