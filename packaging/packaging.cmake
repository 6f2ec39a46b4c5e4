# What `cmake --install` puts where, and the packages that CPack makes from it: a Debian
# package on Linux, a zip archive on Windows. Included before the program's folder, which
# installs the binary into CMAKE_INSTALL_BINDIR.

if(WIN32)
  # A Windows archive is unpacked anywhere: the program and its readme side by side.
  set(CMAKE_INSTALL_BINDIR .)
endif()
include(GNUInstallDirs)

set(CPACK_PACKAGE_NAME kelvor)
set(CPACK_PACKAGE_VENDOR "kelVOR developers")
set(CPACK_PACKAGE_CONTACT "kelVOR developers <kelvor@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "keeps a Windows-1252 log of a command's output")
# One line of the package's long description each, within Debian's 80 columns.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
       "kelvor stands at the end of a pipe: it echoes every line of its standard input"
       "unchanged and writes a Windows-1252 copy of every line, ended by CR LF, into a"
       "log file. The console's character set follows the locale. Its texts are French.")
set(CPACK_STRIP_FILES ON)

if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_SYSTEM_NAME win64)
  install(FILES ${CMAKE_CURRENT_LIST_DIR}/LISEZMOI.txt DESTINATION .)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_VERSION ${PROJECT_VERSION})
  # The first packaging of this version; its changes are in changelog.Debian.
  set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
  configure_file(${CMAKE_CURRENT_LIST_DIR}/changelog.Debian.in
                 ${CMAKE_BINARY_DIR}/packaging/changelog.Debian @ONLY)
  set(CPACK_KELVOR_CHANGELOG ${CMAKE_BINARY_DIR}/packaging/changelog.Debian)
  set(CPACK_KELVOR_LINTIAN_OVERRIDES ${CMAKE_CURRENT_LIST_DIR}/lintian-overrides)
  set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/debian_staging.cmake)

  install(FILES ${PROJECT_SOURCE_DIR}/doc/kelvor.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${CMAKE_CURRENT_LIST_DIR}/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})
endif()
include(CPack)

# The install and the packages as a user gets them (tests/package). A sanitized build is never
# shipped, and its program needs the sanitizers' libraries beside it.
if(KELVOR_BUILD_TESTS AND NOT KELVOR_SANITIZE)
  find_package(Python3 REQUIRED COMPONENTS Interpreter)
  set(package_tests ${PROJECT_SOURCE_DIR}/tests/package)
  if(WIN32)
    add_test(NAME package_zip
             COMMAND ${Python3_EXECUTABLE} ${package_tests}/test_zip.py ${CMAKE_CPACK_COMMAND}
                     ${CMAKE_BINARY_DIR} ${PROJECT_SOURCE_DIR})
  else()
    add_test(NAME package_install
             COMMAND ${Python3_EXECUTABLE} ${package_tests}/test_install.py ${CMAKE_COMMAND}
                     ${CMAKE_BINARY_DIR} ${PROJECT_SOURCE_DIR})
    add_test(NAME package_deb
             COMMAND ${Python3_EXECUTABLE} ${package_tests}/test_deb.py ${CMAKE_CPACK_COMMAND}
                     ${CMAKE_BINARY_DIR} ${PROJECT_SOURCE_DIR})
    set_tests_properties(package_deb PROPERTIES SKIP_RETURN_CODE 77)
  endif()
endif()
