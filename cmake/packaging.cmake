# The Debian package: both programs, the desktop entry and the icon.
set(CPACK_PACKAGE_NAME mirelda)
set(CPACK_PACKAGE_VENDOR "mirelda")
set(CPACK_PACKAGE_CONTACT "mirelda developers <mirelda@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Carries Katjusha's user data over to Live2ch")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
# The Qt and C++ libraries come from dpkg-shlibdeps. The window's texts are Japanese, which a
# fresh system cannot draw without a Japanese font; the platform plugins are packaged apart
# from the Qt libraries on some releases.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
  "fonts-ipafont-gothic | fonts-noto-cjk | fonts-vlgothic, qt6-qpa-plugins")
include(CPack)
