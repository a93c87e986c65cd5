# Run by cpack on the staged tree before it becomes the .deb: Debian wants
# manual pages and the changelog compressed, and a changelog in its own format.
# Dates follow SOURCE_DATE_EPOCH when set, so the package can be rebuilt alike.
set(stage ${CPACK_TEMPORARY_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX})
if(NOT IS_DIRECTORY ${stage}/share)
  message(FATAL_ERROR "DebianDocs: no staged tree at ${stage}")
endif()

function(compress file)
  execute_process(COMMAND gzip -9nf ${file} RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "DebianDocs: gzip could not compress ${file} (${status})")
  endif()
endfunction()

file(GLOB_RECURSE pages ${stage}/share/man/*)
foreach(page IN LISTS pages)
  if(NOT page MATCHES "\\.gz$" AND NOT IS_SYMLINK ${page})
    compress(${page})
  endif()
endforeach()

string(TIMESTAMP date "%a, %d %b %Y %H:%M:%S +0000" UTC)
set(changelog ${stage}/share/doc/${CPACK_PACKAGE_NAME}/changelog)
file(WRITE ${changelog}
     "${CPACK_PACKAGE_NAME} (${CPACK_PACKAGE_VERSION}) unstable; urgency=medium\n\n"
     "  * Release ${CPACK_PACKAGE_VERSION}.\n\n"
     " -- ${CPACK_PACKAGE_CONTACT}  ${date}\n")
compress(${changelog})
