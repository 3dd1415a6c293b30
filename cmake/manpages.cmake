# Manual pages.
#
# The manual pages docs/man/<program>.1 of the programs that are built are gzipped at
# build time and installed to share/man/man1. (The Debian package is built by debian/rules
# with dpkg-buildpackage: scripts/package.sh.)
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
