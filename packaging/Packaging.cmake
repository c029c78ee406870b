# Installation and the Debian package. hemwright-step installs itself from
# step/CMakeLists.txt and the manual pages from man/CMakeLists.txt; this
# file adds hemwright, the documentation files and the CPack settings.
# Included from the top level after the executables are defined.

# The host starts hemwright; users do not, so it stays off PATH.
install(TARGETS hemwright RUNTIME DESTINATION ${HEMWRIGHT_PLUGIN_INSTALL_DIR})

# Link only the libraries the executables really use, so that the package
# depends on no more than they load (dpkg-shlibdeps reads what they need);
# resolve every symbol at start-up so that the relocations can be made
# read-only (Debian's hardening).
foreach(executable IN ITEMS hemwright hemwright-step)
  target_link_options(${executable} PRIVATE LINKER:--as-needed LINKER:-z,now)
endforeach()

set(HEMWRIGHT_PACKAGE_MAINTAINER "hemwright developers <maintainers@hemwright.invalid>" CACHE STRING
  "Maintainer field of the Debian package and its changelog (the default's .invalid domain says no real address is set)")
set(HEMWRIGHT_PACKAGE_VERSION "${PROJECT_VERSION}" CACHE STRING
  "Upstream part of the Debian package's version (the project's version by default)")
# The package is made from the project's own tree rather than being a
# Debian-native program, so its version carries a Debian revision.
set(HEMWRIGHT_PACKAGE_REVISION "1" CACHE STRING "Debian revision of the package")
set(package_full_version "${HEMWRIGHT_PACKAGE_VERSION}-${HEMWRIGHT_PACKAGE_REVISION}")
set(HEMWRIGHT_PACKAGE_DATE "" CACHE STRING
  "Date of the package's changelog entry (RFC 5322); empty: the time of configuring, or SOURCE_DATE_EPOCH when set")

# The documentation folder: the README and the changelog compressed as
# Debian keeps them, the machine-readable copyright file as it is, and the
# lintian overrides with their reasons.
set(doc_dir "${CMAKE_INSTALL_DATADIR}/doc/hemwright")
set(generated "${CMAKE_BINARY_DIR}/packaging")
set(package_date "${HEMWRIGHT_PACKAGE_DATE}")
if(NOT package_date)
  string(TIMESTAMP package_date "%a, %d %b %Y %H:%M:%S +0000" UTC)
endif()
configure_file(${CMAKE_CURRENT_LIST_DIR}/changelog.in ${generated}/changelog @ONLY)
find_program(GZIP_EXECUTABLE gzip REQUIRED)
# -n leaves the name and time out of the gzip header (the same source gives
# the same bytes); -9 as Debian compresses documentation.
set(compress "\"$0\" -9n < \"$1\" > \"$2\"")
add_custom_command(OUTPUT ${generated}/README.md.gz ${generated}/changelog.Debian.gz
  COMMAND sh -c "${compress}" ${GZIP_EXECUTABLE} ${PROJECT_SOURCE_DIR}/README.md ${generated}/README.md.gz
  COMMAND sh -c "${compress}" ${GZIP_EXECUTABLE} ${generated}/changelog ${generated}/changelog.Debian.gz
  DEPENDS ${PROJECT_SOURCE_DIR}/README.md ${generated}/changelog
  COMMENT "Compressing README.md and the changelog"
  VERBATIM)
add_custom_target(package_documents ALL
  DEPENDS ${generated}/README.md.gz ${generated}/changelog.Debian.gz)
install(FILES ${generated}/README.md.gz ${generated}/changelog.Debian.gz
  ${CMAKE_CURRENT_LIST_DIR}/copyright DESTINATION ${doc_dir})
install(FILES ${CMAKE_CURRENT_LIST_DIR}/lintian-overrides
  DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME hemwright)

set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "hemwright")
set(CPACK_PACKAGE_VERSION "${HEMWRIGHT_PACKAGE_VERSION}")
set(CPACK_DEBIAN_PACKAGE_RELEASE "${HEMWRIGHT_PACKAGE_REVISION}")
set(CPACK_PACKAGE_VENDOR "hemwright developers")
set(CPACK_PACKAGE_CONTACT "${HEMWRIGHT_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "pipeline-step plugin that adds a prefix and a suffix to files")
set(CPACK_PACKAGE_DESCRIPTION
  "hemwright is started by an integration server in a prepared working
directory. It rewrites every input file as prefix, the file's bytes and
suffix, in place and atomically, and reports the outcome in output.xml and
its exit code. The server runs /usr/lib/hemwright/hemwright.
hemwright-step tries a step from the command line without the server.")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES TRUE)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${HEMWRIGHT_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION "utils")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
# Depends comes from what the packaged binaries load, with the versions
# their symbols need.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(CPack)

if(HEMWRIGHT_BUILD_TESTS)
  # The test checks the manual pages only when this configuration builds them.
  if(HEMWRIGHT_MAN_PAGES)
    set(HEMWRIGHT_PACKAGE_TEST_MAN_PAGES man-pages)
  else()
    set(HEMWRIGHT_PACKAGE_TEST_MAN_PAGES no-man-pages)
  endif()
  add_test(NAME package_install_and_run
    COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/test-package.sh ${CMAKE_BINARY_DIR} ${PROJECT_SOURCE_DIR}
      ${HEMWRIGHT_PACKAGE_TEST_MAN_PAGES})
  set_tests_properties(package_install_and_run PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 300 RUN_SERIAL TRUE)
endif()
