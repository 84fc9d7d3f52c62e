# Installing and packaging. The plug-in is installed at the top of the prefix, so that the prefix can be the
# server's plug-in folder itself:
#   cmake --install build --prefix /path/to/server/plugins --component plugin
# qvhost and qvcam go to bin/ below the prefix (component tools). `cpack` in the build folder makes
# qv_analytics_plugin-<version>-<system>.tar.gz holding the plug-in alone, to be unpacked into that folder.
install(TARGETS qv_analytics_plugin
    LIBRARY DESTINATION . COMPONENT plugin
    RUNTIME DESTINATION . COMPONENT plugin)
install(TARGETS qvhost qvcam RUNTIME DESTINATION bin COMPONENT tools)

set(CPACK_GENERATOR TGZ)
set(CPACK_PACKAGE_NAME qv_analytics_plugin)
set(CPACK_PACKAGE_VENDOR "Quorvane")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "A plugin to support in-camera analytics for Quorvane IP cameras.")
# Debug information stays in the build; the server gets the stripped library.
set(CPACK_STRIP_FILES ON)
set(CPACK_ARCHIVE_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL plugin)
set(CPACK_COMPONENT_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_ARCHIVE_PLUGIN_FILE_NAME ${CPACK_PACKAGE_NAME}-${PROJECT_VERSION}-${CMAKE_SYSTEM_NAME})
include(CPack)
