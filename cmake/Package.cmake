# The Debian package: cd build && cpack -G DEB gives varnuth_<version>_<arch>.deb from the install rules.
set(docs "${CMAKE_INSTALL_DATADIR}/doc/varnuth")
install(FILES packaging/copyright DESTINATION "${docs}")
varnuth_install_gzipped(packaging/changelog "${docs}")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME varnuth)
set(CPACK_PACKAGE_VENDOR Tavendrel)
set(CPACK_PACKAGE_CONTACT "Tavendrel <tavendrel@varnuth.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "subtitle script converter for DVD and video subtitling")
set(CPACK_PACKAGE_DESCRIPTION "Varnuth converts SubRip subtitles into an SSA script styled with a font,
colours, margins and an alignment, and a fixed-column Sonic subtitle listing
into a DVDMaestro SON or STL script. The window program varnuth and the
command varnuth-convert run the same conversion.")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://varnuth.org/")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries come from dpkg-shlibdeps; the window also needs its narrow font and a Qt platform plugin to start,
# and libass, which the preview opens itself when first shown, out of dpkg-shlibdeps' sight.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dejavu-extra, qt6-qpa-plugins, libass9")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
