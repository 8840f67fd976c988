# orx_add_windows_resources(target DESCRIPTION text ICON_ID id)
# Gives a Windows program the application icon (32x32 and 16x16, 16 colours) under ICON_ID,
# a manifest (common controls 6, run as the invoker, per-monitor DPI aware, UTF-8 as the
# program's code page) and a version resource: version 1.0.0.0 of the product, shown as
# "1.0.00", U.S. English, code page 1252.
set(ORX_WIN32_RESOURCE_DIR ${CMAKE_CURRENT_LIST_DIR} CACHE INTERNAL "")
set(ORX_APP_ICON ${CMAKE_CURRENT_BINARY_DIR}/AppIcon.ico CACHE INTERNAL "")

find_package(Python3 REQUIRED COMPONENTS Interpreter)
add_custom_command(OUTPUT ${ORX_APP_ICON}
  COMMAND Python3::Interpreter ${ORX_WIN32_RESOURCE_DIR}/MakeIcon.py ${ORX_APP_ICON}
  DEPENDS ${ORX_WIN32_RESOURCE_DIR}/MakeIcon.py
  COMMENT "Drawing the application icon")
add_custom_target(orx_app_icon DEPENDS ${ORX_APP_ICON})

function(orx_add_windows_resources target)
  cmake_parse_arguments(R "" "DESCRIPTION;ICON_ID" "" ${ARGN})
  set(ORX_RES_NAME ${target})
  set(ORX_RES_DESCRIPTION ${R_DESCRIPTION})
  set(ORX_RES_PRODUCT "ORX Configuration Transfer Utility")
  set(ORX_RES_ICON_ID ${R_ICON_ID})
  set(ORX_RES_ICON ${ORX_APP_ICON})
  set(ORX_RES_VERSION "${PROJECT_VERSION}.0")
  string(REPLACE "." "," ORX_RES_VERSION_COMMAS ${ORX_RES_VERSION})
  # "1.0.00": the patch number in two digits
  if(PROJECT_VERSION_PATCH LESS 10)
    set(ORX_RES_VERSION_TEXT "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.0${PROJECT_VERSION_PATCH}")
  else()
    set(ORX_RES_VERSION_TEXT "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}")
  endif()
  set(dir ${CMAKE_CURRENT_BINARY_DIR})
  set(ORX_RES_MANIFEST ${dir}/${target}.manifest)
  configure_file(${ORX_WIN32_RESOURCE_DIR}/Application.manifest.in ${ORX_RES_MANIFEST} @ONLY)
  configure_file(${ORX_WIN32_RESOURCE_DIR}/Application.rc.in ${dir}/${target}.rc @ONLY)
  set_source_files_properties(${dir}/${target}.rc PROPERTIES
    OBJECT_DEPENDS "${ORX_APP_ICON};${ORX_RES_MANIFEST}")
  target_sources(${target} PRIVATE ${dir}/${target}.rc)
  add_dependencies(${target} orx_app_icon)
endfunction()
