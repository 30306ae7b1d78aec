# The Debian package (cpack -G DEB in a Release build; scripts/package.sh does it all).
# Its dependencies are the libraries dpkg-shlibdeps finds in the programs (the X11 platform
# plugin comes with libqt6gui6).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME pathkeep)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Pathkeep developers")
set(CPACK_PACKAGE_CONTACT "The Pathkeep developers <support@pathkeep.example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "bookmark manager that checks and exports web locations")
# Lines of at most 79 characters, as the Description field wants them.
set(CPACK_PACKAGE_DESCRIPTION
    "Pathkeep keeps a collection of web locations with their categories, keywords,
ratings and comments. It checks the links and analyses the pages over the web,
imports bookmarks from Firefox, Chromium-family browsers, bookmark, HTML, CSV
and text files, and exports them as HTML pages, CSV, text and a bookmark file
any browser imports.

The package holds the program, the command line pathkeep-cli for scripts and
timer jobs, and the backup utility pathkeep-backup.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION web)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://pathkeep.example.org/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The SVG icon engine draws the program's icon at sizes without a PNG.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libqt6svg6")
include(CPack)
