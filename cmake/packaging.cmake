# Manual pages and the Debian package.
#
# The manual pages docs/man/<program>.1 of the programs that are built are gzipped at
# build time and installed to share/man/man1. `cpack -G DEB` in the build tree then makes
# zentick_<version>_<arch>.deb from what `cmake --install` installs (the programs, the
# user's manual, the desktop launcher and its icon, the manual pages), with prefix /usr.
# Its Depends are computed by dpkg-shlibdeps from the programs' shared libraries: a build
# for the package links X11, FreeType, fontconfig and libpng shared (ZT_STATIC_DEPS=OFF),
# as Debian expects. scripts/package.sh configures, builds and packages so.
if(NOT UNIX OR APPLE)
  return()
endif()
include(GNUInstallDirs)

find_program(ZT_GZIP gzip)
set(zt_manpages)
foreach(program zentick zentick-render zentick-hexedit)
  set(page ${PROJECT_SOURCE_DIR}/docs/man/${program}.1)
  if(NOT TARGET ${program} OR NOT EXISTS ${page} OR NOT ZT_GZIP)
    continue()
  endif()
  set(gzipped ${PROJECT_BINARY_DIR}/man/${program}.1.gz)
  # -n: no name or time stamp in the file, so the same page gives the same bytes.
  add_custom_command(
    OUTPUT ${gzipped}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/man
    COMMAND ${ZT_GZIP} -9nc ${page} > ${gzipped}
    DEPENDS ${page}
    COMMENT "Compressing the manual page ${program}(1)")
  list(APPEND zt_manpages ${gzipped})
endforeach()
if(zt_manpages)
  add_custom_target(zt_manpages ALL DEPENDS ${zt_manpages})
  install(FILES ${zt_manpages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()

set(CPACK_PACKAGE_NAME zentick)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Kelbrin")
set(CPACK_PACKAGE_CONTACT "zentick developers <developers@zentick.org>")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://www.zentick.org/")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "binary clock for the X desktop (Tarvo's Binary Clock)")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
       "A small shaped window that shows the local time as LEDs, in pure binary or in\n"
       "binary-coded decimal: seven formats, four LED colours, three LED shapes and four\n"
       "backgrounds, one of them see-through. Also zentick-render, which draws the clock\n"
       "into PNG files without a display.")
if(TARGET zentick-hexedit)
  string(APPEND CPACK_PACKAGE_DESCRIPTION " And zentick-hexedit, a hex editor.")
endif()
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The faces the programs ask fontconfig for: the dialogs' DejaVu Sans Condensed
# (fonts-dejavu-extra) and the hex editor's monospace, DejaVu Sans Mono (fonts-dejavu-core);
# their layouts are made to hold text in these. xdg-open shows the user's manual and the
# web pages.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dejavu-core, fonts-dejavu-extra")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
include(CPack)
