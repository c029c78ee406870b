# Installation and the Debian package. hemwright-step installs itself from
# step/CMakeLists.txt; this file adds hemwright, the README, and the CPack
# settings. Included from the top level after the executables are defined.
include(GNUInstallDirs)

install(TARGETS hemwright RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/hemwright)

set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "hemwright")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_VENDOR "hemwright developers")
set(CPACK_PACKAGE_CONTACT "hemwright developers <hemwright@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "pipeline-step plugin that adds a prefix and a suffix to files")
set(CPACK_PACKAGE_DESCRIPTION
  "hemwright is started by an integration server in a prepared working directory; it
rewrites every input file as prefix + the file's bytes + suffix, in place, and
reports the outcome in output.xml and its exit code. hemwright-step tries a step
from the command line without the server.")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES TRUE)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_SECTION "utils")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
# The Debian 12 packages of the libraries the two executables load. An
# optimised build needs only Boost.Filesystem, Boost.Thread and
# Boost.Program_options of Boost (dpkg-shlibdeps gives the versions); a debug
# build also loads the other Boost libraries the utility library links, so
# they are named too and a package made from any build type installs. The
# package test checks that every library the packaged binaries need comes
# from a package named here.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
  "libc6 (>= 2.34), libstdc++6 (>= 11), libgcc-s1 (>= 3.0), libxerces-c3.2, libxalan-c112 (>= 1.12), libboost-filesystem1.74.0 (>= 1.74.0+ds1), libboost-thread1.74.0 (>= 1.74.0+ds1), libboost-program-options1.74.0 (>= 1.74.0+ds1), libboost-date-time1.74.0, libboost-system1.74.0, libboost-random1.74.0, libboost-atomic1.74.0")
include(CPack)

if(HEMWRIGHT_BUILD_TESTS)
  add_test(NAME package_install_and_run
    COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/test-package.sh ${CMAKE_BINARY_DIR} ${PROJECT_SOURCE_DIR})
  set_tests_properties(package_install_and_run PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 120 RUN_SERIAL TRUE)
endif()
