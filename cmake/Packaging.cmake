# Installation and the Debian package (cpack -G DEB, or scripts/package.sh).
#
# The program goes to lib/radadir/; bin/radadir is a launcher that starts it
# in the user's data folder, where the register lives. The icon's PNG is
# rendered from the SVG (rsvg-convert -w 64 -h 64 radadir.svg -o radadir-64.png).
include(GNUInstallDirs)

set(RADADIR_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)

install(TARGETS radadir RUNTIME DESTINATION lib/radadir)
install(PROGRAMS ${RADADIR_PACKAGING_DIR}/radadir.sh DESTINATION ${CMAKE_INSTALL_BINDIR} RENAME radadir)
install(FILES ${RADADIR_PACKAGING_DIR}/radadir.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${RADADIR_PACKAGING_DIR}/icons/radadir.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${RADADIR_PACKAGING_DIR}/icons/radadir-64.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/64x64/apps RENAME radadir.png)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME radadir)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Kelvane.NET")
set(CPACK_PACKAGE_CONTACT "destek@radadir.com.tr")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Rirede Zarevave Rurored, guest register for small hotels")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Records each arriving guest's identity and stay, keeps regular customers
on file and writes the notification file for the identity notification
system. Each user's register is an encrypted database in
~/.local/share/RadaDIR/.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Dependencies come from dpkg-shlibdeps: libsqlcipher0 and the Qt 6 runtime
# (libqt6gui6 carries the platform plugins, libqt6network6 the reachability
# backends).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's own dialogs and menus in Turkish (qtbase_tr.qm).
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-translations-l10n")
include(CPack)
