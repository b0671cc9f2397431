# cmake --install BUILD --prefix PREFIX lays obrin out as it runs from the
# build tree: the program finds its INI files, plug-ins, libraries and help
# beside itself, so all of them go into one program folder,
# PREFIX/lib/obrin. PREFIX/bin holds links to the two programs (the program
# folder is where the link leads), and PREFIX/share the desktop entry and
# the icon. An installed obrin writes nothing into its program folder (its
# settings, decoded song and recovery file go to the user's XDG folders), so
# the prefix may be read-only.
include(GNUInstallDirs)
# lib/obrin whatever the prefix: a Debian /usr would otherwise make it the
# multiarch library folder, which is for libraries others link.
set(OBRIN_PROGRAM_DIR lib/obrin)

install(TARGETS obrin obrin-cli RUNTIME DESTINATION ${OBRIN_PROGRAM_DIR})
install(TARGETS vellin wendax marlet tessary LIBRARY DESTINATION ${OBRIN_PROGRAM_DIR})
install(FILES ${PROJECT_SOURCE_DIR}/plugins/filetype.ini DESTINATION ${OBRIN_PROGRAM_DIR})
install(FILES ${PROJECT_SOURCE_DIR}/help/help.html ${PROJECT_SOURCE_DIR}/help/karaoke-tab.png
        DESTINATION ${OBRIN_PROGRAM_DIR}/help)
install(FILES ${PROJECT_SOURCE_DIR}/desktop/obrin.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# Made at install time, when the prefix is known (--prefix may differ from the
# configured one): relative links, and the entry's absolute Exec path.
foreach(program obrin obrin-cli)
    file(RELATIVE_PATH link_target /p/${CMAKE_INSTALL_BINDIR} /p/${OBRIN_PROGRAM_DIR}/${program})
    install(CODE "
        set(bin \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
        file(MAKE_DIRECTORY \"\${bin}\")
        message(STATUS \"Installing: \${bin}/${program} -> ${link_target}\")
        file(CREATE_LINK \"${link_target}\" \"\${bin}/${program}\" SYMBOLIC)")
endforeach()
install(CODE "
    file(READ \"${PROJECT_SOURCE_DIR}/desktop/obrin.desktop.in\" entry)
    string(REPLACE \"@OBRIN_EXEC@\" \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/obrin\" entry \"\${entry}\")
    string(REPLACE \"@OBRIN_MIME_TYPES@\" \"${OBRIN_MIME_TYPES}\" entry \"\${entry}\")
    file(WRITE \"${CMAKE_BINARY_DIR}/install/obrin.desktop\" \"\${entry}\")
    file(INSTALL DESTINATION \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/applications\"
         TYPE FILE FILES \"${CMAKE_BINARY_DIR}/install/obrin.desktop\")")

# The software centres' entry, the types of obrin's own files, the manual
# pages, and the copyright and changelog Debian asks of every package.
install(FILES ${PROJECT_SOURCE_DIR}/desktop/org.obrin.obrin.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${PROJECT_SOURCE_DIR}/desktop/obrin-mime.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME obrin.xml)
install(FILES ${PROJECT_BINARY_DIR}/man/obrin.1.gz ${PROJECT_BINARY_DIR}/man/obrin-cli.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright ${PROJECT_BINARY_DIR}/packaging/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DOCDIR})
