# Runs hidclient with the virtual mouse preloaded and compares its output.
#   -D HIDCLIENT=<program> -D PRELOAD=<libvmouse.so> -D EXPECTED=<file>
#   -D CONFIG=<VMOUSE_CONFIG text>; leave it empty to run without the variable
foreach(var HIDCLIENT PRELOAD EXPECTED)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "run_hidclient.cmake: ${var} is not set")
  endif()
endforeach()

if("${CONFIG}" STREQUAL "")
  unset(ENV{VMOUSE_CONFIG})
else()
  set(ENV{VMOUSE_CONFIG} "${CONFIG}")
endif()
set(ENV{LD_PRELOAD} "${PRELOAD}")

execute_process(COMMAND "${HIDCLIENT}"
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 30)
file(READ "${EXPECTED}" expected)
if(NOT rc EQUAL 0 OR NOT out STREQUAL expected)
  message(FATAL_ERROR "hidclient exited with ${rc}\n--- got:\n${out}--- expected:\n${expected}--- stderr:\n${err}")
endif()
message(STATUS "hidclient output as expected:\n${out}")
