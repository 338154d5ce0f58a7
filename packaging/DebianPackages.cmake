# The .deb files: `cpack -G DEB` in the build folder makes libkodra32-0, libkodra32-dev and kodra.
# The tester merido is installed by `cmake --install` but not packaged.

set(KODRA_DEBIAN_REVISION 1 CACHE STRING "Debian revision of the packages (the part after the dash)")
set(KODRA_PACKAGE_MAINTAINER "Kodra maintainers <maintainers@kodra.example.org>"
  CACHE STRING "Maintainer field of the .deb files")
set(KODRA_DEBIAN_VERSION ${PROJECT_VERSION}-${KODRA_DEBIAN_REVISION})
set(KODRA_LIBRARY_PACKAGE libkodra32-${KODRA_SOVERSION})

# Debian-only files, one copy per package: the copyright statement and the changelog. They
# belong to components of their own that a plain install leaves out; a component group joins
# each to its package.
string(TIMESTAMP KODRA_CHANGELOG_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)  # honours SOURCE_DATE_EPOCH
set(KODRA_CHANGELOG ${CMAKE_CURRENT_BINARY_DIR}/debian/changelog.Debian)
configure_file(debian/changelog.Debian.in ${KODRA_CHANGELOG} @ONLY)
add_custom_command(OUTPUT ${KODRA_CHANGELOG}.gz
  COMMAND ${KODRA_GZIP} -9n -f -k ${KODRA_CHANGELOG}
  DEPENDS ${KODRA_CHANGELOG}
  VERBATIM)
add_custom_target(kodra_debian_changelog ALL DEPENDS ${KODRA_CHANGELOG}.gz)

foreach(pair IN ITEMS "library;${KODRA_LIBRARY_PACKAGE}" "development;libkodra32-dev" "command;kodra")
  list(GET pair 0 component)
  list(GET pair 1 package)
  install(FILES debian/copyright ${KODRA_CHANGELOG}.gz
    DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${package}
    COMPONENT ${component}_debian EXCLUDE_FROM_ALL)
  # The group is named like its component; CPack's per-package settings use the group name.
  string(TOUPPER ${component} upper)
  set(CPACK_COMPONENT_${upper}_GROUP ${component})
  set(CPACK_COMPONENT_${upper}_DEBIAN_GROUP ${component})
  set(CPACK_DEBIAN_${upper}_PACKAGE_NAME ${package})
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kodra)
set(CPACK_PACKAGE_VENDOR "Kodra maintainers")
set(CPACK_PACKAGE_CONTACT ${KODRA_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING ONE_PER_GROUP)
set(CPACK_COMPONENTS_ALL library library_debian development development_debian command command_debian)

set(CPACK_DEBIAN_PACKAGE_RELEASE ${KODRA_DEBIAN_REVISION})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Dependencies on system libraries come from dpkg-shlibdeps; the library is found in the
# build tree, and the packages depend on it by hand.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
get_target_property(KODRA_LIBRARY_BUILD_DIR kodra32 BINARY_DIR)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${KODRA_LIBRARY_BUILD_DIR})
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")

# Descriptions: the summary, then the body in lines of at most 80 characters.
set(KODRA_DESCRIPTION_BODY [[
Kodra finds and decodes UUencode, XXencode, Base64, quoted-printable and
BinHex sections in stored mail and news, encodes files as MIME attachments,
codes memory buffers, splits and joins files, and reads message headers,
text and dates.
.]])

set(CPACK_DEBIAN_LIBRARY_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_LIBRARY_DESCRIPTION "codec library for mail and news attachment encodings
${KODRA_DESCRIPTION_BODY}
This package holds the shared library libkodra32.")
# ldconfig runs by trigger, as Debian wants (CPack's scripts still call it too, harmlessly).
set(CPACK_DEBIAN_LIBRARY_PACKAGE_CONTROL_EXTRA ${CMAKE_CURRENT_SOURCE_DIR}/debian/triggers)

set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_DEPENDS "${KODRA_LIBRARY_PACKAGE} (= ${KODRA_DEBIAN_VERSION})")
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SHLIBDEPS OFF)
set(CPACK_DEBIAN_DEVELOPMENT_DESCRIPTION "codec library for mail and news encodings (development files)
${KODRA_DESCRIPTION_BODY}
This package holds the C header kodra32.h, the pkg-config file, the CMake
package (find_package(Kodra)) and the kodra32(3) manual page.")

set(CPACK_DEBIAN_COMMAND_PACKAGE_SECTION mail)
set(CPACK_DEBIAN_COMMAND_PACKAGE_DEPENDS "${KODRA_LIBRARY_PACKAGE} (= ${KODRA_DEBIAN_VERSION})")
set(CPACK_DEBIAN_COMMAND_DESCRIPTION "decode and encode mail and news attachments from the shell
${KODRA_DESCRIPTION_BODY}
This package holds the kodra command, its manual page and its bash
completion.")

include(CPack)
