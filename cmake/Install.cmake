# What `cmake --install` and the Debian package put where. The programs look for their
# data beside the executable first and then in <prefix>/share/braceform.
include(GNUInstallDirs)
set(BRACEFORM_APP_ID example.tarnvex.Braceform)

install(TARGETS braceform-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/data/man/braceform-cli.1
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

if(BRACEFORM_GUI)
  install(TARGETS braceform RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${CMAKE_INSTALL_DATADIR}/braceform
          RENAME license.txt)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/data/Languages
          DESTINATION ${CMAKE_INSTALL_DATADIR}/braceform)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/data/about/ DESTINATION ${CMAKE_INSTALL_DATADIR}/braceform/pictures
          FILES_MATCHING PATTERN "*.svg")

  # The desktop's view of the program: its entry (with the JSON association), its icon in
  # the hicolor theme, and its AppStream record.
  install(FILES ${PROJECT_SOURCE_DIR}/data/desktop/${BRACEFORM_APP_ID}.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  configure_file(${PROJECT_SOURCE_DIR}/data/desktop/${BRACEFORM_APP_ID}.metainfo.xml.in
                 ${PROJECT_BINARY_DIR}/${BRACEFORM_APP_ID}.metainfo.xml @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/${BRACEFORM_APP_ID}.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  install(FILES ${PROJECT_SOURCE_DIR}/data/about/app-icon.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps RENAME braceform.svg)
  find_program(RSVG_CONVERT rsvg-convert REQUIRED)
  set(icon_pngs "")
  foreach(size 16 22 24 32 48 64 128 256)
    set(png ${PROJECT_BINARY_DIR}/icons/${size}/braceform.png)
    add_custom_command(OUTPUT ${png}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/icons/${size}
      COMMAND ${RSVG_CONVERT} -w ${size} -h ${size} -o ${png}
              ${PROJECT_SOURCE_DIR}/data/about/app-icon.svg
      DEPENDS ${PROJECT_SOURCE_DIR}/data/about/app-icon.svg)
    list(APPEND icon_pngs ${png})
    install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
  endforeach()
  add_custom_target(braceform_icons ALL DEPENDS ${icon_pngs})
endif()

# `make package`: a Debian package whose dependencies dpkg-shlibdeps computes from the
# programs' libraries.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME braceform)
set(CPACK_PACKAGE_VENDOR ${BRACEFORM_COMPANY})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Desktop JSON reformatter: human readable or compact")
set(CPACK_PACKAGE_DESCRIPTION
    "Braceform reformats JSON text, pasted or loaded from a file, as human readable text with line breaks and indentation or as compact text, in a syntax-coloured editor. braceform-cli runs the same pipeline for scripts and pipes.")
set(CPACK_PACKAGE_CONTACT "TARNVEX <braceform@tarnvex.example>")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION text)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${BRACEFORM_SITE})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What no library link reveals: the certificates for https and the desktop's icon theme.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "ca-certificates, hicolor-icon-theme, xdg-utils")
set(CPACK_STRIP_FILES ON)
include(CPack)
