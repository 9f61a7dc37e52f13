# The Debian package of the program (make package; cpack -G DEB in a build folder): what
# make install puts under /usr, with the copyright and changelog that Debian asks of every
# package, its dependencies computed from the libraries the program links
# (dpkg-shlibdeps) with what it needs that no library shows, and the program stripped.

# The changelog is compressed the way Debian wants it (no name, no time stamp).
set(package_changelog ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz)
add_custom_command(OUTPUT ${package_changelog}
  COMMAND gzip -9nc ${CMAKE_CURRENT_SOURCE_DIR}/packaging/changelog > ${package_changelog}
  DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/packaging/changelog
  VERBATIM)
add_custom_target(orvalis_package_changelog ALL DEPENDS ${package_changelog})
add_dependencies(orvalis orvalis_package_changelog)
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/packaging/copyright ${package_changelog}
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/orvalis)
# lintian takes the palette step's own texts (named after the graphics library whose
# behaviour it reproduces) for a copy of that library: it is the project's own code.
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/packaging/lintian-overrides
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME orvalis)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orvalis)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "The Orvalis developers <maintainers@orvalis.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "viewer of the numbered views of a perspective study")
# The text under the summary (CPack puts the summary first).
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Orvalis shows the views of a perspective study one after another: JPEG
drawings of one folder numbered vue1.jpg, vue2.jpg, vue3.jpg... Each view
follows on a timer tick or a key, with the series and the view number in the
window's title. It also counts the colours of a PNG image into colour classes
and appends the count to espion.log. The interface is in French.")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Beside the libraries: the font the forms are laid out for (DejaVu Sans Condensed; with a
# wider face the options dialog's edit box covers its label's last letters), and the icon
# theme whose folders hold the program's icons.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dejavu-extra, hicolor-icon-theme")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
