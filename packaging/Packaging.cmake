# Installation and the Debian package.
#
# The program reads its files from ../share/lavinor beside its executable when they are not
# beside it (as in the build tree), so the two folders keep this relation whatever the prefix:
#   cmake --install build --prefix P     P/bin/lavinor, P/share/lavinor/...
#   cd build && cpack -G DEB             lavinor_<version>_<arch>.deb, installing under /usr

install(TARGETS lavinor RUNTIME DESTINATION bin)
# Lavinor.cmd, fonts.conf, the sample macros, HLP/, icons/, samples/.
install(DIRECTORY ${CMAKE_SOURCE_DIR}/data/ DESTINATION share/lavinor)
install(FILES ${CMAKE_BINARY_DIR}/MOJIDATA.DAT DESTINATION share/lavinor)

# The desktop entry with its icon, the manual page and the HTML manual.
install(FILES ${CMAKE_SOURCE_DIR}/packaging/lavinor.desktop DESTINATION share/applications)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/lavinor.svg
        DESTINATION share/icons/hicolor/scalable/apps)
configure_file(${CMAKE_SOURCE_DIR}/packaging/lavinor.1.in ${CMAKE_BINARY_DIR}/lavinor.1 @ONLY)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/lavinor.1.gz
  COMMAND gzip -9nc ${CMAKE_BINARY_DIR}/lavinor.1 > ${CMAKE_BINARY_DIR}/lavinor.1.gz
  DEPENDS ${CMAKE_BINARY_DIR}/lavinor.1
  COMMENT "Compressing the manual page")
add_custom_target(lavinor_manpage ALL DEPENDS ${CMAKE_BINARY_DIR}/lavinor.1.gz)
install(FILES ${CMAKE_BINARY_DIR}/lavinor.1.gz DESTINATION share/man/man1)
install(FILES ${CMAKE_SOURCE_DIR}/data/HLP/LAVINOR.html ${CMAKE_SOURCE_DIR}/packaging/copyright
        DESTINATION share/doc/lavinor)

set(CPACK_PACKAGE_NAME lavinor)
set(CPACK_PACKAGE_VENDOR "the Lavinor developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "two-dimensional layout CAD for chip and mask layout")
set(LAVINOR_MAINTAINER "Lavinor developers <lavinor@example.org>"
    CACHE STRING "Maintainer field of the Debian package")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${LAVINOR_MAINTAINER}")
# The long description; CPack puts the summary line above it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Lavinor edits designs kept as libraries of named cells: rectangles, polygons,
wide lines, texts and single or arrayed placements of other cells on 64
layers. It is driven by a typed command language with variables, arithmetic
and macros, has a Japanese user interface, reads and writes GDSII Stream and
DXF, and converts designs without windows in its batch runner.")
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# Libraries from dpkg-shlibdeps; the fonts that fonts.conf names are needed at run time too.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-ipafont-gothic, fonts-ipafont-mincho")
# The Help menu hands the HTML manual to the desktop's browser.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
include(CPack)
