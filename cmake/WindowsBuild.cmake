# The cross build for Windows: GoogleTest from Debian's sources, resources with windres and
# every program of the build run under Wine (tests and their discovery alike).
if(NOT WIN32)
  return()
endif()

enable_language(RC)

# Built with its own warning flags, before ours apply.
set(ORX_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources to build for Windows")
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(${ORX_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

# CLI11 and nlohmann-json are header-only: their Debian folders serve the cross build too. A
# folder of links to just those two keeps the rest of /usr/include (glibc's) out of its way.
set(ORX_HOST_HEADERS ${CMAKE_BINARY_DIR}/host-headers)
file(MAKE_DIRECTORY ${ORX_HOST_HEADERS})
foreach(folder CLI nlohmann)
  if(NOT EXISTS ${ORX_HOST_HEADERS}/${folder})
    file(CREATE_LINK /usr/include/${folder} ${ORX_HOST_HEADERS}/${folder} SYMBOLIC)
  endif()
endforeach()
foreach(target CLI11::CLI11 nlohmann_json::nlohmann_json)
  add_library(${target} INTERFACE IMPORTED)
  set_target_properties(${target} PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${ORX_HOST_HEADERS}
                                             INTERFACE_SYSTEM_INCLUDE_DIRECTORIES ${ORX_HOST_HEADERS})
endforeach()

find_program(ORX_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_DEFAULT_PATH)
find_program(ORX_WINE NAMES wine64 wine)
if(ORX_WINE)
  set(ORX_WINE_PREFIX ${CMAKE_BINARY_DIR}/wine-prefix)
  configure_file(${CMAKE_CURRENT_LIST_DIR}/wine-run.sh.in ${CMAKE_BINARY_DIR}/wine-run @ONLY
                 FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                  WORLD_READ WORLD_EXECUTE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run)
else()
  message(WARNING "No Wine found: the Windows programs are built but their tests cannot run")
endif()
