# SPDX-License-Identifier: GPL-3.0-or-later
# Installation and the Debian package (cpack -G DEB, or scripts/package.sh).
#
# The program goes to lib/radadir/; bin/radadir is a launcher that starts it
# in the user's data folder, where the register lives. The icon's PNG is
# rendered from the SVG (rsvg-convert -w 64 -h 64 radadir.svg -o radadir-64.png).
# The changelog and the software centres' releases are made from CHANGELOG.md;
# what is installed compressed is compressed with gzip -9n, so that the same
# sources give the same bytes.
include(GNUInstallDirs)
find_package(Python3 REQUIRED COMPONENTS Interpreter)
find_program(RADADIR_GZIP gzip REQUIRED)

set(RADADIR_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)
set(RADADIR_PACKAGING_OUT ${PROJECT_BINARY_DIR}/packaging)
set(RADADIR_MAINTAINER "RadaDIR Destek <destek@radadir.com.tr>")
set(RADADIR_APPSTREAM_ID tr.com.radadir.radadir)
set(RADADIR_CHANGELOG_SCRIPT ${PROJECT_SOURCE_DIR}/scripts/changelog.py)

add_custom_command(OUTPUT ${RADADIR_PACKAGING_OUT}/changelog
  COMMAND Python3::Interpreter ${RADADIR_CHANGELOG_SCRIPT} debian ${PROJECT_SOURCE_DIR}/CHANGELOG.md
          ${RADADIR_PACKAGING_OUT}/changelog --version ${PROJECT_VERSION} --maintainer ${RADADIR_MAINTAINER}
  DEPENDS ${PROJECT_SOURCE_DIR}/CHANGELOG.md ${RADADIR_CHANGELOG_SCRIPT}
  COMMENT "Making the package's changelog from CHANGELOG.md" VERBATIM)
add_custom_command(OUTPUT ${RADADIR_PACKAGING_OUT}/${RADADIR_APPSTREAM_ID}.metainfo.xml
  COMMAND Python3::Interpreter ${RADADIR_CHANGELOG_SCRIPT} metainfo ${PROJECT_SOURCE_DIR}/CHANGELOG.md
          ${RADADIR_PACKAGING_DIR}/radadir.metainfo.xml.in ${RADADIR_PACKAGING_OUT}/${RADADIR_APPSTREAM_ID}.metainfo.xml
          --version ${PROJECT_VERSION}
  DEPENDS ${PROJECT_SOURCE_DIR}/CHANGELOG.md ${RADADIR_CHANGELOG_SCRIPT} ${RADADIR_PACKAGING_DIR}/radadir.metainfo.xml.in
  COMMENT "Making the software centres' entry" VERBATIM)
configure_file(${RADADIR_PACKAGING_DIR}/radadir.1.in ${RADADIR_PACKAGING_OUT}/radadir.1 @ONLY)
foreach(plain changelog radadir.1)
  add_custom_command(OUTPUT ${RADADIR_PACKAGING_OUT}/${plain}.gz
    COMMAND ${RADADIR_GZIP} -9nkf ${RADADIR_PACKAGING_OUT}/${plain}
    DEPENDS ${RADADIR_PACKAGING_OUT}/${plain} VERBATIM)
endforeach()
add_custom_target(radadir_package_files ALL DEPENDS
  ${RADADIR_PACKAGING_OUT}/changelog.gz ${RADADIR_PACKAGING_OUT}/radadir.1.gz
  ${RADADIR_PACKAGING_OUT}/${RADADIR_APPSTREAM_ID}.metainfo.xml)

install(TARGETS radadir RUNTIME DESTINATION lib/radadir)
install(PROGRAMS ${RADADIR_PACKAGING_DIR}/radadir.sh DESTINATION ${CMAKE_INSTALL_BINDIR} RENAME radadir)
install(FILES ${RADADIR_PACKAGING_DIR}/radadir.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${RADADIR_PACKAGING_DIR}/icons/radadir.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${RADADIR_PACKAGING_DIR}/icons/radadir-64.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/64x64/apps RENAME radadir.png)
install(FILES ${RADADIR_PACKAGING_OUT}/radadir.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${RADADIR_PACKAGING_OUT}/${RADADIR_APPSTREAM_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${RADADIR_PACKAGING_DIR}/copyright ${RADADIR_PACKAGING_OUT}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/radadir)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME radadir)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Kelvane.NET")
set(CPACK_PACKAGE_CONTACT "destek@radadir.com.tr")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${RADADIR_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Rirede Zarevave Rurored, guest register for small hotels")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Records each arriving guest's identity and stay, keeps regular customers
on file and writes the notification file for the identity notification
system. Each user's register is an encrypted database in
~/.local/share/RadaDIR/.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_RADADIR_OBJCOPY ${CMAKE_OBJCOPY})
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/StripPackage.cmake)
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
