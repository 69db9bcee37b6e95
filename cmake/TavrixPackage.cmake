# The Debian package: cpack -G DEB in a build folder (scripts/package.sh)
# makes tavrix_<version>_amd64.deb with the programs, the template, the
# desktop entry and the Python module, installed under /usr.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tavrix)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "fits the RB model of the dissociation constant of aqueous complexes")
set(CPACK_PACKAGE_DESCRIPTION
  "Tavrix fits pK(298), A(zz/a) and B(zz/a) of the RB model to experimental pK values at given
temperatures and pressures (or water densities), kept in spreadsheets (LibreOffice Calc workbooks
or CSV files). It brings the command-line program tavrix, the desktop program tavrix-desktop that
works beside LibreOffice Calc, and the Python module tavrix.")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "The Tavrix developers <tavrix@localhost>")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)  # tavrix_<version>_<architecture>.deb
# The Python module goes where /usr's Python finds packages, which the
# install step asks of it: that needs the real prefix, with the package's
# root as DESTDIR.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# The shared libraries the programs link decide most of Depends, the
# office's own among them (they live in LibreOffice's program folder); the
# office itself and NumPy are used but not linked.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS "${TAVRIX_LO_PROGRAM}")
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libreoffice-calc, python3, python3-numpy")
# Only the default component: the copy of the template beside the program
# is for installs into a prefix of the user's own.
set(CPACK_INSTALL_CMAKE_PROJECTS "${CMAKE_BINARY_DIR};tavrix;Unspecified;/")
include(CPack)
