# SPDX-License-Identifier: GPL-3.0-or-later
# What `cmake --install` puts where (GNU folders under CMAKE_INSTALL_PREFIX, DESTDIR honoured).
# The desktop entry, the icon and the metainfo share one name, so the desktop links them.
set(VANTOREL_APP_ID org.vantorel.Vantorel)
set(VANTOREL_DATA ${PROJECT_SOURCE_DIR}/data)

install(TARGETS vantorel vantorel-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# The help file goes to the data folder; the program looks beside itself first, then there.
install(FILES ${PROJECT_SOURCE_DIR}/src/app/vantorel.hlp DESTINATION ${VANTOREL_DATA_SUBDIR})

install(FILES ${VANTOREL_DATA}/${VANTOREL_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
configure_file(${VANTOREL_DATA}/${VANTOREL_APP_ID}.metainfo.xml
               ${CMAKE_BINARY_DIR}/data/${VANTOREL_APP_ID}.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/data/${VANTOREL_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

install(FILES ${VANTOREL_DATA}/icons/${VANTOREL_APP_ID}.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 16 32 48 128 256)
  install(FILES ${VANTOREL_DATA}/icons/${VANTOREL_APP_ID}-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME ${VANTOREL_APP_ID}.png)
endforeach()

# Manual pages carry the version; installed compressed, as Debian keeps them.
set(VANTOREL_MAN_PAGES "")
foreach(page vantorel vantorel-cli)
  configure_file(${VANTOREL_DATA}/man/${page}.1 ${CMAKE_BINARY_DIR}/man/${page}.1 @ONLY)
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/man/${page}.1.gz
                     COMMAND gzip -9nf -k ${CMAKE_BINARY_DIR}/man/${page}.1
                     DEPENDS ${CMAKE_BINARY_DIR}/man/${page}.1
                     COMMENT "Compressing the manual page ${page}(1)")
  list(APPEND VANTOREL_MAN_PAGES ${CMAKE_BINARY_DIR}/man/${page}.1.gz)
endforeach()
add_custom_target(vantorel_man_pages ALL DEPENDS ${VANTOREL_MAN_PAGES})
install(FILES ${VANTOREL_MAN_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# The completions made from the option table (src/cli/sources.cmake), where each shell looks for
# a package's: bash-completion loads its file on demand by the command's name.
install(FILES ${CMAKE_BINARY_DIR}/completion/vantorel-cli
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
install(FILES ${CMAKE_BINARY_DIR}/completion/_vantorel-cli DESTINATION ${CMAKE_INSTALL_DATADIR}/zsh/vendor-completions)
install(FILES ${CMAKE_BINARY_DIR}/completion/vantorel-cli.fish
        DESTINATION ${CMAKE_INSTALL_DATADIR}/fish/vendor_completions.d)

install(FILES ${VANTOREL_DATA}/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/vantorel)
