# cmake --install build --prefix P, and the Debian package built by CPack from the same rules.
#
#   P/bin                         pvedit, pvtool, pvsim
#   P/<libdir>/pvedit             libPVDLang.so (private; the programs' run path points here)
#   P/share/pvedit                splash picture, help pages, icon, examples
#   P/share/applications, mime/packages, metainfo, icons/hicolor, man/man1, bash-completion

set(pv_assets ${PROJECT_SOURCE_DIR}/assets)
set(pv_share ${CMAKE_INSTALL_DATADIR}/pvedit)

set(pv_programs pvtool pvsim)
if(TARGET pvedit)
  list(APPEND pv_programs pvedit)
endif()
install(TARGETS ${pv_programs} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS PVDLang LIBRARY DESTINATION ${PV_INSTALL_PRIVATE_LIBDIR} NAMELINK_SKIP)

install(FILES ${pv_assets}/SPLASH.BMP ${pv_assets}/pveditE.html ${pv_assets}/pveditJ.html
              ${pv_assets}/pvedit.png
        DESTINATION ${pv_share})
if(EXISTS ${pv_assets}/examples)
  install(DIRECTORY ${pv_assets}/examples/ DESTINATION ${pv_share}/examples)
endif()

install(FILES ${pv_assets}/pvedit.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/48x48/apps)
install(FILES ${pv_assets}/linux/org.pvedit.pvedit.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${pv_assets}/linux/pvedit.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
install(FILES ${pv_assets}/linux/org.pvedit.pvedit.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${PROJECT_SOURCE_DIR}/doc/pvedit.1 ${PROJECT_SOURCE_DIR}/doc/pvtool.1
              ${PROJECT_SOURCE_DIR}/doc/pvsim.1
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PROJECT_SOURCE_DIR}/scripts/pvtool-completion.bash
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME pvtool)

# The Debian package: cpack -G DEB in the build folder. Run-time dependencies are computed by
# dpkg-shlibdeps; the private text library is searched where it is installed.
set(CPACK_PACKAGE_NAME pvedit)
set(CPACK_PACKAGE_VENDOR "pvedit developers")
set(CPACK_PACKAGE_CONTACT "pvedit developers <pvedit@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Editor, monitor and logger for the Pavex5 boost controller")
set(CPACK_PACKAGE_DESCRIPTION
    "pvedit edits the axes, maps and parameters of a Pavex5 boost controller, keeps them in\n"
    "data files, sends them to the unit over a serial port, monitors and records its live\n"
    "values, and draws and prints the maps. pvtool runs the same commands from a terminal;\n"
    "pvsim simulates a unit on a pseudo-terminal.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS
    ${CMAKE_BINARY_DIR}/bin)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
set(CPACK_STRIP_FILES ON)
include(CPack)
