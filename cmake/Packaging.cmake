# Installation and packages. Linux: the layout of a Debian package, with the
# window's program and its manual side by side in lib/korvel (it opens the
# manual beside its own file), bin/korvel a relative link to it; CPack builds
# korvel_VERSION_ARCH.deb. Windows: one folder, the programs and the manual,
# packed as korvel-VERSION-win32.zip. `make install` uses the same layout.
include(GNUInstallDirs)

set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(korvel_manual ${KORVEL_GENERATED_DIR}/Manual.html)

set(CPACK_PACKAGE_NAME korvel)
set(CPACK_PACKAGE_VENDOR Tessaly)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "sweeps files and folders for URLs, e-mail addresses and links")
# The long description as Debian shows it: lines under 80 columns, "." for
# an empty line.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "Korvel reads a file or a whole folder tree and lists every address in the"
  "files' text, one row per address with the file it came from: URLs and other"
  "prefixed addresses, e-mail addresses, drive paths and the values of HTML"
  "link attributes. Folder sweeps can be narrowed by keywords and extensions,"
  "and the list can be exported to a text file."
  "."
  "korvel-sweep does the same sweeps from the command line, on any number of"
  "threads, and writes TSV, plain lists or JSON lines.")
set(CPACK_STRIP_FILES ON)

if(WIN32)
  # Running from the unzipped folder is the installation.
  if(TARGET korvel)
    install(TARGETS korvel RUNTIME DESTINATION .)
    install(FILES ${korvel_manual} DESTINATION .)
  endif()
  install(TARGETS korvel-sweep RUNTIME DESTINATION .)
  configure_file(${PROJECT_SOURCE_DIR}/res/README-win32.txt.in
                 ${KORVEL_GENERATED_DIR}/README.txt @ONLY NEWLINE_STYLE CRLF)
  install(FILES ${KORVEL_GENERATED_DIR}/README.txt DESTINATION .)

  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME korvel-${PROJECT_VERSION}-win32)
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
else()
  set(korvel_libdir lib/korvel)
  set(korvel_docdir ${CMAKE_INSTALL_DATADIR}/doc/korvel)

  if(TARGET korvel)
    install(TARGETS korvel RUNTIME DESTINATION ${korvel_libdir})
    install(FILES ${korvel_manual} DESTINATION ${korvel_libdir})
    # bin/korvel -> ../lib/korvel/korvel, relative so that any prefix works.
    file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/install-link)
    file(CREATE_LINK ../${korvel_libdir}/korvel ${CMAKE_BINARY_DIR}/install-link/korvel SYMBOLIC)
    install(FILES ${CMAKE_BINARY_DIR}/install-link/korvel DESTINATION ${CMAKE_INSTALL_BINDIR})

    # The desktop entry, the icon theme and the AppStream description.
    install(FILES ${PROJECT_SOURCE_DIR}/res/korvel.desktop
            DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    foreach(size 16 32 48 256)
      install(FILES ${PROJECT_SOURCE_DIR}/res/png/korvel-${size}.png
              DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
              RENAME korvel.png)
    endforeach()
    install(FILES ${PROJECT_SOURCE_DIR}/res/icons/korvel.svg
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
    # The release date is the build's (SOURCE_DATE_EPOCH makes it reproducible).
    string(TIMESTAMP KORVEL_RELEASE_DATE "%Y-%m-%d" UTC)
    configure_file(${PROJECT_SOURCE_DIR}/res/com.tessaly.korvel.metainfo.xml.in
                   ${KORVEL_GENERATED_DIR}/com.tessaly.korvel.metainfo.xml @ONLY)
    install(FILES ${KORVEL_GENERATED_DIR}/com.tessaly.korvel.metainfo.xml
            DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  endif()
  install(TARGETS korvel-sweep RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

  # Man pages, from their scdoc sources, gzipped as Debian has them.
  find_program(KORVEL_SCDOC scdoc)
  find_program(KORVEL_GZIP gzip)
  if(KORVEL_SCDOC AND KORVEL_GZIP)
    set(korvel_man_pages korvel-sweep)
    if(TARGET korvel)
      list(APPEND korvel_man_pages korvel)
    endif()
    set(korvel_man_out)
    foreach(page ${korvel_man_pages})
      set(src ${PROJECT_SOURCE_DIR}/docs/man/${page}.1.scd)
      set(out ${CMAKE_BINARY_DIR}/man/${page}.1.gz)
      add_custom_command(
        OUTPUT ${out}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
        COMMAND sh -c "'${KORVEL_SCDOC}' < '${src}' | '${KORVEL_GZIP}' -9n > '${out}'"
        DEPENDS ${src}
        COMMENT "Writing the man page ${page}(1)"
        VERBATIM)
      list(APPEND korvel_man_out ${out})
    endforeach()
    add_custom_target(korvel_man ALL DEPENDS ${korvel_man_out})
    install(FILES ${korvel_man_out} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  else()
    message(STATUS "scdoc or gzip not found: no man pages (tools/install-deps package)")
  endif()

  install(FILES ${PROJECT_SOURCE_DIR}/res/copyright ${PROJECT_SOURCE_DIR}/README.md
          DESTINATION ${korvel_docdir})

  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(KORVEL_MAINTAINER "Tessaly <korvel@tessaly.example>" CACHE STRING
      "The Maintainer field of the Debian package")
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${KORVEL_MAINTAINER})
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  # Without xdg-open the Manual command and a row's folder have nothing to
  # open with; the dialogs' "Courier New" comes out as Liberation Mono, and
  # the icons are drawn from their SVG sources when Qt can read SVG.
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, fonts-liberation, libqt6svg6")
  set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
endif()

include(CPack)

if(KORVEL_TESTS AND NOT CMAKE_CROSSCOMPILING)
  include(${PROJECT_SOURCE_DIR}/tests/package/PackageTests.cmake)
endif()
