# `make package`: a Debian package of the installed tree (see
# src/cli/install_layout.h). The tree goes to /opt/scorelens, which is also
# the jailbreak root of the module inside it; /usr/bin/scorelens points at
# the command. Library dependencies come from dpkg-shlibdeps; the typeface
# the renderer draws and measures with is named here.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME scorelens)
# One version for the package, the command and the module: the module's own.
file(STRINGS ${CMAKE_SOURCE_DIR}/src/scorelens/hooks/settings/settings_content.h SCORELENS_VERSION_LINE
     REGEX "kModuleVersion = \"[0-9.]+\"")
string(REGEX MATCH "[0-9]+(\\.[0-9]+)*" SCORELENS_VERSION "${SCORELENS_VERSION_LINE}")
if(NOT SCORELENS_VERSION)
  message(FATAL_ERROR "no kModuleVersion in settings_content.h")
endif()
set(CPACK_PACKAGE_VERSION ${SCORELENS_VERSION})
set(CPACK_PACKAGE_CONTACT "ScoreLens developers <scorelens@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Critic and audience scores on a streaming app's title pages (simulated host and CLI)")
set(CPACK_PACKAGING_INSTALL_PREFIX /opt/scorelens)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS
    ${CMAKE_BINARY_DIR}/src ${CMAKE_BINARY_DIR}/src/host/libroot)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dejavu-core")
configure_file(${CMAKE_CURRENT_LIST_DIR}/debian/postinst ${CMAKE_BINARY_DIR}/debian/postinst COPYONLY
               FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
configure_file(${CMAKE_CURRENT_LIST_DIR}/debian/prerm ${CMAKE_BINARY_DIR}/debian/prerm COPYONLY
               FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_BINARY_DIR}/debian/postinst ${CMAKE_BINARY_DIR}/debian/prerm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
