# Run by CPack on the staged files before it packs them: drops the compiler's .comment
# section from the programs, as Debian's own packaging tools do.
file(GLOB_RECURSE programs ${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*/bin/*)
foreach(program ${programs})
  execute_process(COMMAND objcopy --remove-section=.comment ${program} RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "objcopy failed on ${program}")
  endif()
endforeach()
