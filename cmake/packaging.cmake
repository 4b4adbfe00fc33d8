# The packages that cpack makes in a build folder: a Debian package of the Linux build
# (cpack -G DEB) and a zip of the Windows build (cpack -G ZIP). Both carry the licence and the
# Japanese guide for users.
set(CPACK_PACKAGE_NAME mirelda)
set(CPACK_PACKAGE_VENDOR "mirelda")
set(CPACK_PACKAGE_CONTACT "mirelda developers <mirelda@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Carries Katjusha's user data over to Live2ch")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})

# Writes the file `source` into the build folder as the Windows text file `name`: CR LF line
# ends and a UTF-8 byte-order mark, without which older Notepads read Japanese as Shift-JIS.
function(mirelda_windows_text source name)
  file(READ ${source} text)
  string(REPLACE "\n" "\r\n" text "${text}")
  string(ASCII 239 187 191 bom)
  file(WRITE ${CMAKE_BINARY_DIR}/${name} "${bom}${text}")
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${source})
endfunction()

if(WIN32)
  # Beside the programs at the top of the zip, named so that a double click opens them.
  mirelda_windows_text(${PROJECT_SOURCE_DIR}/README.ja.md README.ja.txt)
  mirelda_windows_text(${PROJECT_SOURCE_DIR}/LICENSE LICENSE.txt)
  install(FILES ${CMAKE_BINARY_DIR}/README.ja.txt ${CMAKE_BINARY_DIR}/LICENSE.txt
    DESTINATION ${MIRELDA_INSTALL_BINDIR})
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME mirelda-${PROJECT_VERSION}-win64)
else()
  install(FILES ${PROJECT_SOURCE_DIR}/README.ja.md ${PROJECT_SOURCE_DIR}/LICENSE
    DESTINATION ${CMAKE_INSTALL_DOCDIR})
  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  # The Qt and C++ libraries come from dpkg-shlibdeps. The window's texts are Japanese, which a
  # fresh system cannot draw without a Japanese font; the platform plugins are packaged apart
  # from the Qt libraries on some releases, and so are Qt's translations, which put the folder
  # picker's buttons in the user's language. Without Qt only the command line is packaged.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  if(TARGET mirelda_window)
    set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-ipafont-gothic | fonts-noto-cjk | fonts-vlgothic, \
qt6-qpa-plugins, qt6-translations-l10n")
  endif()
endif()
include(CPack)
