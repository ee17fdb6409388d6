# The Debian package (cpack -G DEB in the build directory, as `make deb` does):
# the files of the install, under /usr.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME xasreduce)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "reduce X-ray absorption spectra to EXAFS and its Fourier transform")
set(CPACK_PACKAGE_DESCRIPTION
  "xasreduce reduces X-ray absorption spectra: it finds the edge and the white
line, fits a pre-edge line and a post-edge background, normalises, extracts
the EXAFS signal chi(k), Fourier-transforms it and estimates the noise. It
runs as a short dialogue on one spectrum, or from the command line on a
series, reading the files of the common beamline formats (XDI, spec, Epics
scans, SSRL, CLS, KEK-PF, tables with named columns) and finding the
sample's channel. It aligns a series on its reference foil, merges repeat
scans by their noise, and writes gnuplot data files, TopDrawer scripts, XDI
files for other XAS tools, pictures and a page of a series. A Python module
(import xasreduce) gives the same reduction to notebooks.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Depends: the packages of the shared libraries the program links, as
# dpkg-shlibdeps finds them (none for the static program of a release build).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Installed binaries without their symbol tables, as Debian ships them.
set(CPACK_STRIP_FILES ON)
# The pictures are drawn with gnuplot; the reduction runs without it.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS gnuplot-nox)
# The Python module (in /usr/lib/python3/dist-packages) is built for the
# python3 of the build machine and needs numpy; the program runs without.
if(XAS_PYTHON_BUILT)
  math(EXPR next_minor "${Python3_VERSION_MINOR} + 1")
  set(CPACK_DEBIAN_PACKAGE_SUGGESTS
      "python3 (>= ${Python3_VERSION_MAJOR}.${Python3_VERSION_MINOR}), python3 (<< ${Python3_VERSION_MAJOR}.${next_minor}), python3-numpy")
endif()

# The maintainer: the project's setting, XAS_MAINTAINER (in CMakeLists.txt).
set(CPACK_PACKAGE_CONTACT "${XAS_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${XAS_MAINTAINER}")

include(CPack)
