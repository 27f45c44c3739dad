# The Debian packages of everything `cmake --install` puts in place, one per install component:
#
#   libtandrel1     lib   the shared library
#   libtandrel-dev  dev   headers, the .so link, pkg-config and CMake files, examples
#   tandrel         cli   the command-line program, its man page and completion
#   trevasso        app   the desktop program, its help, desktop entry, icons and metainfo
#
# `cpack -G DEB` in the build folder writes <package>_<version>_<arch>.deb for each. Included at
# the end of the top-level CMakeLists.txt, after every install rule.

tandrel_install_package_docs(tandrel cli)
set(TANDREL_DEB_COMPONENTS lib dev cli)
if(TARGET trevasso)
  tandrel_install_package_docs(trevasso app)
  list(APPEND TANDREL_DEB_COMPONENTS app)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL ${TANDREL_DEB_COMPONENTS})
set(CPACK_PACKAGE_NAME tandrel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Tandrel developers")
set(TANDREL_PACKAGE_MAINTAINER "Tandrel developers <packages@tandrel.net>"
    CACHE STRING "Maintainer field of the Debian packages")
set(CPACK_PACKAGE_CONTACT "${TANDREL_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://tandrel.net/")

set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)

# Debian's long descriptions: one line per paragraph line, each indented by the generator.
set(about
    "Cuts MP3 and WAVE audio files into pieces, by time sections or by size,\n"
    "and joins several MP3 files, or several WAVE files of one format, into\n"
    "one. Nothing is decoded: MP3 pieces are whole frames copied byte for\n"
    "byte and WAVE pieces are whole sample blocks.\n"
    ".\n")
string(JOIN "" about ${about})

set(CPACK_DEBIAN_LIB_PACKAGE_NAME libtandrel1)
set(CPACK_DEBIAN_LIB_PACKAGE_SECTION libs)
set(CPACK_COMPONENT_LIB_DESCRIPTION "lossless MP3 and WAVE cutting and joining - library\n${about}This package holds the shared library libTandrel with its C and C++\ninterfaces.")
# A shlibs file, so that packages built against libTandrel.so.1 depend on this one (only a
# package holding a shared library gets one). The library cache is refreshed by the ldconfig
# trigger; the maintainer scripts of our own keep the generator from calling ldconfig itself.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
set(lib_control ${PROJECT_SOURCE_DIR}/packaging/debian/libtandrel1)
set(CPACK_DEBIAN_LIB_PACKAGE_CONTROL_EXTRA
    ${lib_control}/triggers ${lib_control}/postinst ${lib_control}/postrm)
set(CPACK_DEBIAN_LIB_PACKAGE_CONTROL_STRICT_PERMISSION ON)

set(CPACK_DEBIAN_DEV_PACKAGE_NAME libtandrel-dev)
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
set(CPACK_COMPONENT_DEV_DESCRIPTION "lossless MP3 and WAVE cutting and joining - development files\n${about}This package holds the headers of the C and C++ interfaces, the\npkg-config and CMake package files and examples in C and Python.")
set(CPACK_DEBIAN_DEV_PACKAGE_DEPENDS "libtandrel1 (= ${PROJECT_VERSION})")

set(CPACK_DEBIAN_CLI_PACKAGE_NAME tandrel)
set(CPACK_COMPONENT_CLI_DESCRIPTION "lossless MP3 and WAVE cutter and joiner - command line\n${about}This package holds the command-line program tandrel.")
set(CPACK_DEBIAN_CLI_PACKAGE_DEPENDS "libtandrel1 (= ${PROJECT_VERSION})")

set(CPACK_DEBIAN_APP_PACKAGE_NAME trevasso)
set(CPACK_COMPONENT_APP_DESCRIPTION "lossless MP3 and WAVE cutter and joiner - desktop program\n${about}This package holds the desktop program trevasso (Qt 6).")
set(CPACK_DEBIAN_APP_PACKAGE_DEPENDS "libtandrel1 (= ${PROJECT_VERSION})")

# Dependencies on the other shared libraries (Qt 6, the C and C++ runtimes) come from
# dpkg-shlibdeps (dpkg-dev), which reads them off the binaries. Without it, the same lists are
# written out by hand.
find_program(TANDREL_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(TANDREL_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  # libTandrel comes from this build: its package is named above, not looked up.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${PROJECT_BINARY_DIR}/control)
else()
  message(STATUS "dpkg-shlibdeps (dpkg-dev) not found: the packages list their dependencies by hand")
  set(runtime "libc6 (>= 2.34), libstdc++6 (>= 12), libgcc-s1 (>= 3.0)")
  set(CPACK_DEBIAN_LIB_PACKAGE_DEPENDS "${runtime}")
  string(APPEND CPACK_DEBIAN_CLI_PACKAGE_DEPENDS ", ${runtime}, libtag1v5 (>= 1.13), libcue2 (>= 2.2)")
  string(APPEND CPACK_DEBIAN_APP_PACKAGE_DEPENDS ", ${runtime}, libqt6core6 (>= 6.4), "
         "libqt6gui6 (>= 6.4), libqt6widgets6 (>= 6.4), libqt6svg6 (>= 6.4)")
endif()

include(CPack)
