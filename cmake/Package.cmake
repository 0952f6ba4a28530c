# The Debian package: `cpack -G DEB` in the build directory makes
# rubso_<version>_<arch>.deb from the install rules (cmake/Install.cmake),
# without the "demo" component. The shared libraries the programs link
# (Qt, libfbclient, pxlib, the C++ runtime) become dependencies through
# dpkg-shlibdeps; what the program loads at run time is named here.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME rubso)
set(CPACK_PACKAGE_VENDOR "Rubso")
set(CPACK_PACKAGE_CONTACT "Rubso <rubso@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "Exchange of goods and sales between a trading program and Elzab cash registers")
set(CPACK_PACKAGE_DESCRIPTION
  "Rubso sends goods and prices from the shop's trading program to Elzab fiscal\n\
cash registers, reads the registers' goods lists and the day's sales, resets\n\
their counters and books a sales read into the trading program as one\n\
goods-issue document (WZ). It shares the trading program's Firebird database\n\
and writes its Paradox tables. The user interface is in Polish.\n\
.\n\
The package holds a substitute register library that simulates registers\n\
(libWinIP.so) and its tool kasa-sim.")
set(CPACK_PACKAGE_INSTALL_DIRECTORY rubso)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's Polish texts (standard buttons, dialogs) are loaded at run time.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-translations-l10n")
# The shop's database may be on another machine; a local server is a choice.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "firebird3.0-server")
# Only the program's own files: the "demo" component stays out.
set(CPACK_COMPONENTS_ALL program)

include(CPack)
