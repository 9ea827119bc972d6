# A Debian package of the suite: `cpack -G DEB` in the build directory (after the build) makes
# snphot_<version>_<arch>.deb with the programs, their manual pages, the README, the file
# reference and the example campaign; dpkg-shlibdeps works out the library dependencies.
set(CPACK_PACKAGE_NAME snphot)
set(CPACK_PACKAGE_VENDOR "snphot developers")
set(CPACK_PACKAGE_CONTACT "snphot developers <snphot@example.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "supernova photometry reduction and light-curve modelling programs")
set(CPACK_PACKAGE_DESCRIPTION
    "Small command-line programs that reduce the photometry of a supernova (light curves against "
    "comparison stars, comparison-star calibration, band-system conversion, reference-flux "
    "subtraction, colour and bolometric light curves) and model its light curve.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS gnuplot-nox) # snplot draws with it
set(CPACK_STRIP_FILES ON)
include(CPack)
