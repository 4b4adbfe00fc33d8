# The packages that cpack makes in a build folder: a Debian package of the Linux build
# (cpack -G DEB) and a zip of the Windows build (cpack -G ZIP). Both carry the licence and the
# Japanese guide for users.
set(CPACK_PACKAGE_NAME mirelda)
set(CPACK_PACKAGE_VENDOR "mirelda")
set(CPACK_PACKAGE_CONTACT "mirelda developers <mirelda@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "carries Katjusha's user data over to Live2ch")
set(CPACK_PACKAGE_DESCRIPTION "\
mirelda converts the data of the Japanese 2ch browser Katjusha into the files
of the browser Live2ch, so that years of reading history come along when a
reader switches: favourites, board buttons, thread warehouses, name and mail
lists, the external board list and the thread indexes of the log tree.

Katjusha's files are only read. Each Live2ch file is replaced whole and in one
step, after the file it replaces has been kept in a backup folder, and a run
can be undone from that backup. Both browsers usually run under Wine, whose
folders mirelda reads and writes directly.

The package holds the command line mirelda-cli and, where built with Qt, the
window mirelda, whose texts are Japanese.")
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

# Writes `source`, with the project's version for @PROJECT_VERSION@, as the compressed file
# `output` that Debian wants of manual pages and changelogs: the most compressed, without a time
# stamp, so that two builds give the same bytes.
function(mirelda_gzip source output)
  string(REGEX REPLACE "\\.gz$" "" text ${output})
  configure_file(${source} ${text} @ONLY)
  add_custom_command(OUTPUT ${output}
    COMMAND sh -c "gzip -9n < \"$1\" > \"$2\"" sh ${text} ${output}
    DEPENDS ${text} VERBATIM)
  string(MAKE_C_IDENTIFIER ${output} target)
  add_custom_target(${target} ALL DEPENDS ${output})
endfunction()

# Writes Debian's machine-readable copyright file, with the licence's text from LICENSE.
function(mirelda_debian_copyright output)
  file(STRINGS ${PROJECT_SOURCE_DIR}/LICENSE lines)
  set(text "")
  set(in_terms FALSE)
  foreach(line IN LISTS lines)
    if(line MATCHES "^Permission is hereby granted")
      set(in_terms TRUE)
    endif()
    if(in_terms)
      string(APPEND text " ${line}\n")
    endif()
  endforeach()
  file(WRITE ${output} "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: mirelda

Files: *
Copyright: 2026 mirelda developers
License: Expat
${text}")
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/LICENSE)
endfunction()

if(WIN32)
  # Beside the programs at the top of the zip, named so that a double click opens them: the
  # guide as a web page, with the pictures it shows in the folder its links name, and the
  # licence as a text file.
  find_program(MIRELDA_MARKDOWN cmark-gfm REQUIRED)
  set(guide ${CMAKE_BINARY_DIR}/README.ja.html)
  add_custom_command(OUTPUT ${guide}
    COMMAND ${CMAKE_COMMAND} -DRENDERER=${MIRELDA_MARKDOWN}
      -DINPUT=${PROJECT_SOURCE_DIR}/README.ja.md -DOUTPUT=${guide} "-DTITLE=mirelda 利用の手引き"
      -P ${PROJECT_SOURCE_DIR}/cmake/markdown_page.cmake
    DEPENDS ${PROJECT_SOURCE_DIR}/README.ja.md ${PROJECT_SOURCE_DIR}/cmake/markdown_page.cmake
    VERBATIM)
  add_custom_target(mirelda_guide ALL DEPENDS ${guide})
  mirelda_windows_text(${PROJECT_SOURCE_DIR}/LICENSE LICENSE.txt)
  install(FILES ${guide} ${CMAKE_BINARY_DIR}/LICENSE.txt DESTINATION ${MIRELDA_INSTALL_BINDIR})
  install(FILES ${PROJECT_SOURCE_DIR}/docs/window-windows.png
    ${PROJECT_SOURCE_DIR}/docs/window-windows-running.png
    ${PROJECT_SOURCE_DIR}/docs/window-linux.png ${PROJECT_SOURCE_DIR}/docs/window-linux-running.png
    DESTINATION ${MIRELDA_INSTALL_BINDIR}/docs)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME mirelda-${PROJECT_VERSION}-win64)
else()
  # The licence goes into the copyright file, where Debian looks for it.
  install(FILES ${PROJECT_SOURCE_DIR}/README.ja.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
  mirelda_debian_copyright(${CMAKE_BINARY_DIR}/debian/copyright)
  install(FILES ${CMAKE_BINARY_DIR}/debian/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})
  set(pages man1/mirelda-cli.1 ja/man1/mirelda-cli.1)
  if(TARGET mirelda_window)
    list(APPEND pages man1/mirelda.1 ja/man1/mirelda.1)
  endif()
  foreach(page ${pages})
    mirelda_gzip(${PROJECT_SOURCE_DIR}/man/${page} ${CMAKE_BINARY_DIR}/man/${page}.gz)
    get_filename_component(folder ${page} DIRECTORY)
    install(FILES ${CMAKE_BINARY_DIR}/man/${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/${folder})
  endforeach()
  mirelda_gzip(${PROJECT_SOURCE_DIR}/cmake/debian-changelog ${CMAKE_BINARY_DIR}/debian/changelog.gz)
  install(FILES ${CMAKE_BINARY_DIR}/debian/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})
  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_STRIP_FILES ON)
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
