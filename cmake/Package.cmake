# The Debian package (scripts/package.sh runs cpack on a Release tree). Its
# library dependencies are read from the programs by dpkg-shlibdeps; the
# converter for the older formats is only recommended, since the .docx family
# needs nothing else.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME pellucor)
set(CPACK_PACKAGE_VENDOR Velmora)
set(CPACK_PACKAGE_CONTACT "Velmora <support@pellucor.app>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "change the spacing after sentence punctuation in documents")
set(CPACK_PACKAGE_DESCRIPTION
    "Pellucor changes the spacing after sentence punctuation in whole batches of\n"
    "word-processor documents: two spaces after each full stop become one, or one\n"
    "becomes two, and nothing else in the documents changes. It comes with a\n"
    "window and with the pellucor-cli command for scripts.\n"
    "\n"
    "Word documents (.docx, .docm, .dotx, .dotm) need nothing else, while the\n"
    "older .doc, .dot, .rtf and .odt documents are converted with LibreOffice\n"
    "when it is installed.")
# No semicolon in the text: it would split the list joined here. No line may
# begin with a full stop: Debian reads that as a control line.
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION text)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# pellucor-cli opens ICU only when a document needs it, and libxml2 only when
# it reads a web page, so dpkg-shlibdeps does not see them there: their
# runtime packages are named here, joined to what dpkg-shlibdeps finds.
string(REGEX MATCH "^[0-9]+" PELLUCOR_ICU_MAJOR "${ICU_VERSION}")
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libicu${PELLUCOR_ICU_MAJOR}, libxml2")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "libreoffice-writer-nogui | libreoffice-writer, python3-uno, fonts-liberation")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
# Compresses the manual pages and writes the package's changelog.
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/DebianDocs.cmake)
include(CPack)
