# The Debian package (scripts/package.sh runs cpack -G DEB): everything the
# project installs, below /usr, its dependencies computed by dpkg-shlibdeps.
# Included last, when every install rule is known.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME egm2008)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${EGM2008_PACKAGE_MAINTAINER})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "calculator of EGM2008 geoid undulations")
# The synopsis is the summary; this is the extended description below it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Computes the height of the EGM2008 geoid above the WGS84 ellipsoid by
interpolation in NGA's EGM2008 grids: at points, for point files,
delimited survey files and NMEA logs, and on lattices (xyz, csv, ESRI
ASCII grid, GTX). A Qt desktop program (egm2008-gui) and a command-line
tool (egm2008), with the 10' grid included; 'egm2008 grids install' makes
the finer 2.5' grid from the geotranz package.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
# The shared library: shlibs for the packages that link it, and ldconfig run by a trigger.
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA "${PROJECT_SOURCE_DIR}/docs/debian/triggers")
# The Python module is built for the one python3 found.
if(EGM2008_PYTHON)
    find_package(Python3 REQUIRED COMPONENTS Interpreter)
    math(EXPR next_minor "${Python3_VERSION_MINOR} + 1")
    set(CPACK_DEBIAN_PACKAGE_DEPENDS
        "python3 (>= ${Python3_VERSION_MAJOR}.${Python3_VERSION_MINOR}~), python3 (<< ${Python3_VERSION_MAJOR}.${next_minor})")
endif()
# "grids install" runs apt-get, dpkg-deb and tar, all in every Debian system.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "geotranz")
# The maps' coastlines (GSHHG's netCDF files); the maps are drawn without them.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "gmt-gshhg-low")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
