# Runs orx-config with no display named and with one that is not there: each time one line
# on stderr and exit status 1 rather than Qt's abort. -DPROGRAM=...
unset(ENV{QT_QPA_PLATFORM})
unset(ENV{WAYLAND_DISPLAY})
foreach(display "" ":65001")
  set(ENV{DISPLAY} "${display}")
  execute_process(COMMAND ${PROGRAM} RESULT_VARIABLE result ERROR_VARIABLE err TIMEOUT 30)
  string(REGEX MATCHALL "\n" ends "${err}")
  list(LENGTH ends lines)
  if(NOT result EQUAL 1 OR NOT lines EQUAL 1 OR NOT err MATCHES "^orx-config: no display")
    message(FATAL_ERROR "DISPLAY='${display}': exit ${result}, stderr:\n${err}")
  endif()
endforeach()
