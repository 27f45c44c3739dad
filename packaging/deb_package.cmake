# One Debian package of everything `cmake --install` puts in place: libTandrel with its header and
# pkg-config file, tandrel, trevasso and their desktop files. `cpack -G DEB` in the build folder
# writes tandrel_<version>_<arch>.deb. Included at the end of the top-level CMakeLists.txt, after
# every install rule.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tandrel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Tandrel developers")
set(TANDREL_PACKAGE_MAINTAINER "Tandrel developers <packages@tandrel.net>"
    CACHE STRING "Maintainer field of the Debian package")
set(CPACK_PACKAGE_CONTACT "${TANDREL_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "lossless MP3 and WAVE cutter and joiner")
# Debian's long description: one line per paragraph line, each indented by the generator.
set(CPACK_PACKAGE_DESCRIPTION
    "Cuts MP3 and WAVE audio files into pieces, by time sections or by size, and joins\n"
    "several MP3 files, or several WAVE files of one format, into one. Nothing is decoded:\n"
    "MP3 pieces are whole frames copied byte for byte and WAVE pieces are whole sample blocks.\n"
    "\n"
    "The package holds the desktop program trevasso (Qt 6), the command-line program\n"
    "tandrel and the library libTandrel with its C interface, header and pkg-config file.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})

set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# A shlibs file, so that packages built against libTandrel.so.1 depend on this one.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")

# Dependencies on the shared libraries (Qt 6, the C and C++ runtimes) come from dpkg-shlibdeps
# (dpkg-dev), which reads them off the binaries; libTandrel itself is found through the binaries'
# $ORIGIN run path inside the package. Without it, the same list is written out by hand.
find_program(TANDREL_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(TANDREL_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  message(STATUS "dpkg-shlibdeps (dpkg-dev) not found: the package lists its dependencies by hand")
  set(CPACK_DEBIAN_PACKAGE_DEPENDS
      "libc6 (>= 2.34), libstdc++6 (>= 12), libgcc-s1 (>= 3.0)")
  if(TARGET trevasso)
    string(APPEND CPACK_DEBIAN_PACKAGE_DEPENDS
           ", libqt6core6 (>= 6.4), libqt6gui6 (>= 6.4), libqt6widgets6 (>= 6.4), libqt6svg6 (>= 6.4)")
  endif()
endif()

include(CPack)
