# The Debian package: `./marvane package` runs cpack in the build folder, which installs
# the build under /usr in a scratch folder and writes marvane_VERSION_ARCH.deb. Its
# dependencies are read from the programs by dpkg-shlibdeps; Qt's platform plugins
# (for windows) and image-format plugins (for TIFF tiles) are loaded at run time, so
# nothing links them and they are named here. The icon cache, desktop database and
# manual-page index are updated by those packages' dpkg triggers: no maintainer scripts.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME marvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Marvane developers")
set(CPACK_PACKAGE_CONTACT "${MARVANE_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "turn one small picture into a large spiral picture")
# Written as dpkg shows it: lines within 80 columns; an empty line parts paragraphs.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
"Marvane lays copies of a small picture, the tile, on a spiral grid of rings
around a centre: every piece a curved square, recoloured along a spectrum of
427 colours, with a brightness shift and a fade band toward the centre.

The desktop program sets the spiral up in a console of sliders and shows a
quick preview before it draws the final picture. The headless renderer
marvane-render makes the same pictures, byte for byte, from the command line
on every core, and also makes seamless loops as WebP, MP4, WebM or GIF.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, qt6-image-formats-plugins")
# Loops as MP4, WebM and GIF are made by the ffmpeg program, which is run, not linked.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "ffmpeg")
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
# Only the package goes into the build folder; cpack's scratch tree stays in _CPack_Packages.
set(CPACK_OUTPUT_FILE_PREFIX ${PROJECT_BINARY_DIR})
include(CPack)
