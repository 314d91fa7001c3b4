# The Debian package of the X11 hack and the Wayland program (cpack -G DEB in
# the native build tree; tools/package makes it): the programs, the hack's
# XScreenSaver settings and desktop entry, their manual pages, with the
# libraries they link as dependencies.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME hangingmobile)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL hangingmobile)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The install paths are absolute (where XScreenSaver and the desktops look).
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Hanging Mobile developers <hangingmobile@example.org>")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "xscreensaver, xscreensaver-gl, swayidle")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "hanging mobile screen saver for X11 and Wayland")
set(CPACK_PACKAGE_DESCRIPTION "A mobile of clouds and a long creature on strings, every piece twisting
slowly back and forth about its own string, drawn with OpenGL. It runs as a
hack of XScreenSaver, in the screen savers of MATE and Xfce, or in a window
of its own, where it can follow a mobile description while it is edited.
On Wayland, hangingmobile-wayland is a screen saver full screen on every
output of compositors with the layer shell (sway, KDE Plasma), started by
an idle manager or by its own idle watch.")
include(CPack)
