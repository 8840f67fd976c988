# generated/orx/Version.h for the programs' --version, through the target orx_version.
# The version is written as the dialog's caption writes it (1.0.00); the git description is
# taken at configure time, which runs again whenever a commit moves HEAD.
set(patch ${PROJECT_VERSION_PATCH})
if(patch LESS 10)
  set(patch 0${patch})
endif()
set(ORX_VERSION_TEXT ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${patch})

set(ORX_GIT_DESCRIPTION unknown)
find_package(Git QUIET)
if(GIT_FOUND)
  execute_process(COMMAND ${GIT_EXECUTABLE} rev-parse --show-toplevel --absolute-git-dir
                  WORKING_DIRECTORY ${PROJECT_SOURCE_DIR} RESULT_VARIABLE rc
                  OUTPUT_VARIABLE git_dirs OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  string(REPLACE "\n" ";" git_dirs "${git_dirs}")
  list(LENGTH git_dirs count)
  # Only this project's own tree: a source tarball unpacked inside another repository is not.
  if(rc EQUAL 0 AND count EQUAL 2)
    list(GET git_dirs 0 top)
    list(GET git_dirs 1 git_dir)
    file(REAL_PATH ${top} top)
    file(REAL_PATH ${PROJECT_SOURCE_DIR} source)
    if(top STREQUAL source)
      execute_process(COMMAND ${GIT_EXECUTABLE} describe --always --dirty --tags
                      WORKING_DIRECTORY ${PROJECT_SOURCE_DIR} RESULT_VARIABLE rc
                      OUTPUT_VARIABLE description OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
      if(rc EQUAL 0 AND description)
        set(ORX_GIT_DESCRIPTION ${description})
      endif()
      if(EXISTS ${git_dir}/logs/HEAD)
        set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
                     ${git_dir}/logs/HEAD)
      endif()
    endif()
  endif()
endif()

configure_file(${CMAKE_CURRENT_LIST_DIR}/Version.h.in ${PROJECT_BINARY_DIR}/generated/orx/Version.h
               @ONLY)
add_library(orx_version INTERFACE)
target_include_directories(orx_version INTERFACE ${PROJECT_BINARY_DIR}/generated)
