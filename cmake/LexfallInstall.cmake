# SPDX-License-Identifier: GPL-3.0-or-later
# What `cmake --install` puts where. A copy of the game finds its data relative to its own
# folder, so the whole prefix can move. The rules are laid when the top folder is done (even
# after an early return) and only for the targets this build made, so a build of the server
# alone installs the server alone.
include(GNUInstallDirs)

# Debian keeps games in games/, beside bin/.
set(LEXFALL_INSTALL_GAMEDIR games CACHE STRING "Folder of the game program, relative to the prefix")
set(LEXFALL_INSTALL_DATADIR ${CMAKE_INSTALL_DATADIR}/lexfall)
set(LEXFALL_INSTALL_MODULEDIR ${CMAKE_INSTALL_LIBDIR}/lexfall)
set(LEXFALL_SYSTEMD_UNITDIR lib/systemd/system CACHE STRING
  "Folder of the server's systemd unit, relative to the prefix")
set(LEXFALL_SYSUSERSDIR lib/sysusers.d CACHE STRING
  "Folder of the server's sysusers.d entry, relative to the prefix")

function(lexfall_install_rules)
  if(TARGET lexfall)
    file(RELATIVE_PATH data_from_game /${LEXFALL_INSTALL_GAMEDIR} /${LEXFALL_INSTALL_DATADIR})
    file(RELATIVE_PATH module_from_game /${LEXFALL_INSTALL_GAMEDIR} /${LEXFALL_INSTALL_MODULEDIR})
    set_property(SOURCE ${CMAKE_SOURCE_DIR}/app/FolderSearch.cpp APPEND PROPERTY COMPILE_DEFINITIONS
      LEXFALL_INSTALLED_DATA_DIR="${data_from_game}"
      LEXFALL_INSTALLED_MODULE_DIR="${module_from_game}")

    install(TARGETS lexfall RUNTIME DESTINATION ${LEXFALL_INSTALL_GAMEDIR} COMPONENT game)
    install(TARGETS lexfall_audio LIBRARY DESTINATION ${LEXFALL_INSTALL_MODULEDIR} COMPONENT game)
    install(TARGETS lexfall_cookies LIBRARY DESTINATION ${LEXFALL_INSTALL_MODULEDIR} COMPONENT game)
    install(TARGETS lexfall_tls LIBRARY DESTINATION ${LEXFALL_INSTALL_MODULEDIR} COMPONENT game)
    install(FILES ${LEXFALL_BIN_DIR}/Dict.dll ${LEXFALL_BIN_DIR}/SCOWL-copyright.txt
      DESTINATION ${LEXFALL_INSTALL_DATADIR} COMPONENT game)
    install(DIRECTORY ${LEXFALL_BIN_DIR}/sound DESTINATION ${LEXFALL_INSTALL_DATADIR} COMPONENT game)
    install(FILES data/desktop/${LEXFALL_APP_ID}.desktop
      DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT game)
    install(FILES data/desktop/${LEXFALL_APP_ID}.metainfo.xml
      DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo COMPONENT game)
    install(DIRECTORY ${CMAKE_BINARY_DIR}/generated/icons/hicolor
      DESTINATION ${CMAKE_INSTALL_DATADIR}/icons COMPONENT game)
    install(FILES data/man/lexfall.6 DESTINATION ${CMAKE_INSTALL_MANDIR}/man6 COMPONENT game)
    # Each package's own notices; the game's also carry the word list's terms.
    install(FILES debian/lexfall.copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/lexfall
      RENAME copyright COMPONENT game)
  endif()

  if(TARGET lexfall-records)
    install(TARGETS lexfall-records RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT server)
    # systemd wants the program's absolute path; the database lives in its state folder.
    configure_file(server/lexfall-records.service.in
      ${CMAKE_BINARY_DIR}/generated/lexfall-records.service @ONLY)
    install(FILES ${CMAKE_BINARY_DIR}/generated/lexfall-records.service
      DESTINATION ${LEXFALL_SYSTEMD_UNITDIR} COMPONENT server)
    install(FILES server/lexfall-records.sysusers DESTINATION ${LEXFALL_SYSUSERSDIR}
      RENAME lexfall-records.conf COMPONENT server)
    install(FILES data/man/lexfall-records.8 DESTINATION ${CMAKE_INSTALL_MANDIR}/man8
      COMPONENT server)
    install(FILES debian/lexfall-records.copyright
      DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/lexfall-records RENAME copyright COMPONENT server)
  endif()
endfunction()
cmake_language(DEFER CALL lexfall_install_rules)
