# cmake --install build --prefix P, and the Debian package built by CPack from the same rules.
#
#   P/bin                         pvedit, pvtool, pvsim
#   P/lib/<triplet>/pvedit        libPVDLang.so (private; the programs' run path points here)
#   P/share/pvedit                splash picture, help pages, icon, examples
#   P/share/pvedit/pvedit.INI     the first settings, read while the user has none
#   P/share/applications, mime/packages, metainfo, icons/hicolor, man/man1, bash-completion
#   P/share/doc/pvedit            copyright and changelog

set(pv_assets ${PROJECT_SOURCE_DIR}/assets)
set(pv_share ${CMAKE_INSTALL_DATADIR}/pvedit)

set(pv_programs pvtool pvsim)
if(TARGET pvedit)
  list(APPEND pv_programs pvedit)
endif()
# What is installed binds every symbol at start, so that the relocations can be made
# read-only.
foreach(t ${pv_programs} PVDLang)
  target_link_options(${t} PRIVATE -Wl,-z,relro,-z,now)
endforeach()
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
install(FILES ${pv_assets}/pvedit.INI DESTINATION ${pv_share})

# Manual pages and the changelog are installed compressed, as Debian wants them (gzip -9n: no
# name or time stamp inside, so the same sources give the same bytes).
set(pv_gz_dir ${CMAKE_BINARY_DIR}/gz)
set(pv_gz_files)
foreach(src doc/pvedit.1 doc/pvtool.1 doc/pvsim.1 assets/linux/changelog)
  get_filename_component(name ${src} NAME)
  set(out ${pv_gz_dir}/${name}.gz)
  add_custom_command(OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${pv_gz_dir}
    COMMAND sh -c "gzip -9n -c \"$1\" > \"$2\"" sh ${PROJECT_SOURCE_DIR}/${src} ${out}
    DEPENDS ${PROJECT_SOURCE_DIR}/${src}
    VERBATIM)
  list(APPEND pv_gz_files ${out})
endforeach()
add_custom_target(pv_compressed_docs ALL DEPENDS ${pv_gz_files})
install(FILES ${pv_gz_dir}/pvedit.1.gz ${pv_gz_dir}/pvtool.1.gz ${pv_gz_dir}/pvsim.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${pv_gz_dir}/changelog.gz ${pv_assets}/linux/copyright
        DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES ${PROJECT_SOURCE_DIR}/scripts/pvtool-completion.bash
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME pvtool)

# The Debian package: cpack -G DEB in the build folder. Run-time dependencies are computed by
# dpkg-shlibdeps; the private text library is searched where it is built. It lives in a
# folder of the programs' own (<libdir>/<triplet>/pvedit), so no ldconfig call is generated
# and it needs no shlibs entry: nothing outside the package links against it.
set(CPACK_PACKAGE_NAME pvedit)
set(CPACK_PACKAGE_VENDOR "pvedit developers")
set(CPACK_PACKAGE_CONTACT
    "Seed bff5f4b6 maintainers <maintainers@users.noreply.c-seed-bff5f4b6.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Editor, monitor and logger for the Pavex5 boost controller")
# One line of the control file per line here, each under 80 columns.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
    "pvedit edits the axes, maps and parameters of a Pavex5 boost controller and"
    "keeps them in data files. It sends them to the unit over a serial port,"
    "monitors and records the unit's live values, and draws and prints the maps."
    "pvtool runs the same commands from a terminal. pvsim simulates a unit on a"
    "pseudo-terminal, so that everything can be tried without the hardware.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS
    ${CMAKE_BINARY_DIR}/bin)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
set(CPACK_STRIP_FILES ON)
include(CPack)
