# The Windows programs as an installer (NSIS, with a Start menu entry, the icon and an
# uninstaller; orx-transfer on the PATH if the user wants it) and as a zip, both with
# stripped programs, the guide, a sample configuration file and the licence notices: what
# scripts/package makes with `cpack -G "NSIS;ZIP"` in a cross build.
install(TARGETS orx-config orx-transfer RUNTIME DESTINATION bin)

# The notices of what the programs are made of: ours and the libraries compiled in, then
# the MinGW-w64 runtime that only the Windows programs carry. The installer shows them too.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS copyright copyright-windows)
file(READ copyright notices)
file(READ copyright-windows runtime_notices)
set(ORX_WINDOWS_NOTICES ${CMAKE_CURRENT_BINARY_DIR}/COPYRIGHT.txt)
file(WRITE ${ORX_WINDOWS_NOTICES} "${notices}${runtime_notices}")
install(FILES ${ORX_WINDOWS_NOTICES} DESTINATION .)
# The guide is Markdown, plain text to read in any editor.
install(FILES ${PROJECT_SOURCE_DIR}/docs/guide.md DESTINATION . RENAME Guide.txt)
install(FILES ${PROJECT_SOURCE_DIR}/sim/sample-config.csv DESTINATION .)

set(CPACK_GENERATOR "NSIS;ZIP")
set(CPACK_PACKAGE_NAME orx-config)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "ORX tool developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "move the alarm configuration of ORX alarm devices")
set(CPACK_PACKAGE_FILE_NAME orx-config-${PROJECT_VERSION}-win64)
set(CPACK_PACKAGE_INSTALL_DIRECTORY "ORX Configuration Transfer Utility")
set(CPACK_PACKAGE_EXECUTABLES orx-config "ORX Configuration Transfer Utility")
set(CPACK_RESOURCE_FILE_LICENSE ${ORX_WINDOWS_NOTICES})
# A 64-bit installer: the programs are 64-bit, and a 64-bit Wine (wine64) runs it.
set(CPACK_NSIS_DEFINES "Target amd64-unicode")
set(CPACK_NSIS_DISPLAY_NAME "ORX Configuration Transfer Utility")
set(CPACK_NSIS_PACKAGE_NAME "ORX Configuration Transfer Utility ${ORX_VERSION_TEXT}")
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_NSIS_MUI_ICON ${ORX_APP_ICON})
set(CPACK_NSIS_MUI_UNIICON ${ORX_APP_ICON})
set(CPACK_NSIS_INSTALLED_ICON_NAME "bin\\\\orx-config.exe")
set(CPACK_NSIS_MODIFY_PATH ON)
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR})
include(CPack)
