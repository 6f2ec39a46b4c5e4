# Run by CPack on its staging tree before the Debian package is made. Debian keeps manual
# pages and changelogs gzip-compressed at the highest level, without a name or a timestamp;
# the changelog and the lintian overrides belong to the package, not to a plain install.
set(root "${CPACK_TEMPORARY_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}")
set(docs "${root}/share/doc/${CPACK_PACKAGE_NAME}")
set(overrides "${root}/share/lintian/overrides")

file(MAKE_DIRECTORY "${overrides}")
file(COPY_FILE "${CPACK_KELVOR_LINTIAN_OVERRIDES}" "${overrides}/${CPACK_PACKAGE_NAME}")
file(COPY_FILE "${CPACK_KELVOR_CHANGELOG}" "${docs}/changelog.Debian")
file(CHMOD "${overrides}/${CPACK_PACKAGE_NAME}" "${docs}/changelog.Debian"
     FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
foreach(file "${root}/share/man/man1/kelvor.1" "${docs}/changelog.Debian")
  execute_process(COMMAND gzip -9nf "${file}" RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "gzip failed on ${file}")
  endif()
endforeach()
