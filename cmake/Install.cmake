# Installation as a Linux desktop program, and the Debian package (CPack).
#
#   cmake --install BUILD --prefix /usr          # or DESTDIR=... for a scratch tree
#   scripts/package                              # the .deb
#
# The programs find their shared data in ../share/mr420/ from their own
# folder (translations, help pages, README), so bin/ and share/mr420/ are
# kept side by side under the prefix whatever GNUInstallDirs would say.

include(GNUInstallDirs)

set(MR420_APP_ID invalid.mr420.mr420)
set(MR420_INSTALL_BINDIR bin)
set(MR420_INSTALL_DATADIR share/mr420)
set(MR420_INSTALL_USER_UNITDIR lib/systemd/user)
set(MR420_ICON_SIZES 16 22 24 32 48 64 128 256)
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# The programs that exist in this configuration (mr420-shots is a tool of
# the tree, not of the installation).
set(MR420_INSTALLED_PROGRAMS)
foreach(program mr420 mr420-cli mr420-sim mr420-data mr420-chart)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION ${MR420_INSTALL_BINDIR})
    list(APPEND MR420_INSTALLED_PROGRAMS ${program})
  endif()
endforeach()

# Manual pages and the package changelog, compressed at build time.
set(MR420_GZIP_OUTPUTS)
function(mr420_gzip input output)
  add_custom_command(OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -DIN=${input} -DOUT=${output} -P ${CMAKE_SOURCE_DIR}/cmake/GzipFile.cmake
    DEPENDS ${input} ${CMAKE_SOURCE_DIR}/cmake/GzipFile.cmake
    COMMENT "Compressing ${output}"
    VERBATIM)
  set(MR420_GZIP_OUTPUTS ${MR420_GZIP_OUTPUTS} ${output} PARENT_SCOPE)
endfunction()

set(MR420_MANUAL_PAGES)
foreach(program ${MR420_INSTALLED_PROGRAMS})
  set(page ${CMAKE_SOURCE_DIR}/docs/man/${program}.1)
  if(EXISTS ${page})
    mr420_gzip(${page} ${CMAKE_BINARY_DIR}/man/${program}.1.gz)
    list(APPEND MR420_MANUAL_PAGES ${CMAKE_BINARY_DIR}/man/${program}.1.gz)
  endif()
endforeach()
install(FILES ${MR420_MANUAL_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

mr420_gzip(${CMAKE_SOURCE_DIR}/cmake/debian/changelog ${CMAKE_BINARY_DIR}/doc/changelog.gz)
install(FILES ${CMAKE_BINARY_DIR}/doc/changelog.gz ${CMAKE_SOURCE_DIR}/cmake/debian/copyright
        DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES ${CMAKE_SOURCE_DIR}/contrib/udev/60-mr420.rules DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples)
add_custom_target(mr420_install_files ALL DEPENDS ${MR420_GZIP_OUTPUTS})

# Shared data: the translation sources (mr420-cli reads them), the compiled
# translations (the window loads them), the help pages and the README.
file(GLOB MR420_INSTALL_TS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/resources/translations/*.ts)
install(FILES ${MR420_INSTALL_TS} ${CMAKE_SOURCE_DIR}/README.md DESTINATION ${MR420_INSTALL_DATADIR})
if(TARGET mr420_translations)
  set(qm_files)
  foreach(ts ${MR420_INSTALL_TS})
    get_filename_component(base ${ts} NAME_WE)
    list(APPEND qm_files ${CMAKE_BINARY_DIR}/bin/${base}.qm)
  endforeach()
  install(FILES ${qm_files} DESTINATION ${MR420_INSTALL_DATADIR})
endif()
install(DIRECTORY ${CMAKE_SOURCE_DIR}/docs/help/ DESTINATION ${MR420_INSTALL_DATADIR}/help)

# The desktop entry, the icon and the software-centre entry of the window.
if(TARGET mr420)
  install(FILES ${CMAKE_SOURCE_DIR}/resources/desktop/${MR420_APP_ID}.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${CMAKE_SOURCE_DIR}/resources/desktop/${MR420_APP_ID}.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  install(FILES ${CMAKE_SOURCE_DIR}/resources/icons/mr420.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  foreach(size ${MR420_ICON_SIZES})
    install(FILES ${CMAKE_SOURCE_DIR}/resources/icons/${size}x${size}/mr420.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
  endforeach()
endif()

# The user units of the command line, with the program's installed path:
# written at install time, when the prefix is known.
if(TARGET mr420-cli)
  file(GLOB MR420_USER_UNITS CONFIGURE_DEPENDS
       ${CMAKE_SOURCE_DIR}/contrib/systemd/*.service ${CMAKE_SOURCE_DIR}/contrib/systemd/*.timer)
  set(unit_outputs)
  foreach(unit ${MR420_USER_UNITS})
    get_filename_component(name ${unit} NAME)
    install(CODE "execute_process(COMMAND \"${CMAKE_COMMAND}\"
                    \"-DIN=${unit}\" \"-DOUT=${CMAKE_BINARY_DIR}/systemd/${name}\"
                    \"-DBINDIR=\${CMAKE_INSTALL_PREFIX}/${MR420_INSTALL_BINDIR}\"
                    -P \"${CMAKE_SOURCE_DIR}/cmake/SystemdUnit.cmake\" COMMAND_ERROR_IS_FATAL ANY)")
    list(APPEND unit_outputs ${CMAKE_BINARY_DIR}/systemd/${name})
  endforeach()
  install(FILES ${unit_outputs} DESTINATION ${MR420_INSTALL_USER_UNITDIR})
endif()

# The Debian package.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME mr420)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "MR420 project <maintainers@mr420.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "program for the MR420 measurement panel")
# CPack puts the summary first and indents every line of the rest.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "mr420 works with one MR420 measurement panel on a serial port: it shows the
live readings (temperature, relative humidity, pressure, dew point and
water-vapour content) in large coloured panes, records them to text, CSV or
binary files, downloads, saves and erases the panel memory, and reads and
writes the panel settings. Other programs read the live values through a
local data server.

The package also holds mr420-cli, the same engine without a window for
scripts and systemd user services, mr420-chart, which draws saved files
as charts, mr420-data, the data server's client, and mr420-sim, a simulated
panel on a pseudo-terminal.")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
include(CPack)

# The installation test: a scratch DESTDIR, every expected file, the
# validators, the installed command line.
if(MR420_BUILD_TESTS)
  string(REPLACE ";" "," programs "${MR420_INSTALLED_PROGRAMS}")
  add_test(NAME install_InstalledTree_test
           COMMAND ${CMAKE_SOURCE_DIR}/tests/install/check-installed-tree
                   --build ${CMAKE_BINARY_DIR} --version ${PROJECT_VERSION}
                   --app-id ${MR420_APP_ID} --programs ${programs})
  set_tests_properties(install_InstalledTree_test PROPERTIES TIMEOUT 120 ENVIRONMENT "LC_ALL=C.UTF-8")
endif()
