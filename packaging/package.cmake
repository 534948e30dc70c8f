# `cpack` in a Linux build folder makes a Debian package of what
# packaging/install.cmake installs, under /usr; in a Windows build folder a
# zip of the same files in one folder.
set(CPACK_PACKAGE_NAME svggenerator)
set(CPACK_PACKAGE_VENDOR ZELKORA)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "turns a JSON box design into SVG drawings for laser cutters")
set(CPACK_PACKAGE_DESCRIPTION "svggenerator reads one JSON file that describes a box and the parts mounted
on each of its panels, and writes one SVG drawing per panel with the outline,
cut-outs, hatched recesses, labels, screw holes and screw-head recesses, ready
for a laser engraving and cutting machine. Inkscape, when installed, turns
every drawing into paths.")
set(CPACK_RESOURCE_FILE_README ${PROJECT_SOURCE_DIR}/README.md)
set(CPACK_STRIP_FILES ON)

if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_SYSTEM_NAME windows-x86_64)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "ZELKORA")
  set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
  set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://www.zelkora.com")
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  # Runtime dependencies come from the shared libraries the program links
  # (dpkg-shlibdeps); Inkscape only adds vectorization, so it is recommended.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS inkscape)
endif()
include(CPack)
