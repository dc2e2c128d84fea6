# The Debian package veltrix: the install set of the program under /usr, plus the manual page,
# copyright file and changelog that Debian policy asks of every package.
include(GNUInstallDirs)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_PACKAGE_NAME veltrix)
# A native package: built by the makers of the program, so the version carries no Debian
# revision, and it is the version the program and the Windows packages show.
set(CPACK_DEBIAN_PACKAGE_VERSION "${VELTRIX_DISPLAY_VERSION}")
execute_process(COMMAND dpkg --print-architecture OUTPUT_VARIABLE CPACK_DEBIAN_PACKAGE_ARCHITECTURE
  OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
# Debian's own naming; spelt out because the tests look for the file by this name.
set(CPACK_DEBIAN_FILE_NAME
  "${CPACK_DEBIAN_PACKAGE_NAME}_${CPACK_DEBIAN_PACKAGE_VERSION}_${CPACK_DEBIAN_PACKAGE_ARCHITECTURE}.deb")
set(VELTRIX_PACKAGES "${CMAKE_BINARY_DIR}/${CPACK_DEBIAN_FILE_NAME}" CACHE INTERNAL "Packages CPack writes")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Depends comes from the libraries the stripped program links (dpkg-shlibdeps, from dpkg-dev).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Runs before the checksums are taken (packaging/CMakeLists.txt).
set(CPACK_POST_BUILD_SCRIPTS "${CMAKE_CURRENT_SOURCE_DIR}/linux/deb-member-modes.cmake")

set(docdir "${CMAKE_INSTALL_DATADIR}/doc/${CPACK_DEBIAN_PACKAGE_NAME}")
set(here "${CMAKE_CURRENT_SOURCE_DIR}/linux")
set(out "${CMAKE_CURRENT_BINARY_DIR}/linux")

# The changelog's date in the form Debian changelogs use (RFC 5322), from the release date.
execute_process(COMMAND date -u -R -d "${VELTRIX_RELEASE_DATE}"
  OUTPUT_VARIABLE VELTRIX_CHANGELOG_DATE OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
configure_file("${here}/changelog.in" "${out}/changelog" @ONLY)
configure_file("${here}/veltrix.1.in" "${out}/veltrix.1" @ONLY)
configure_file("${here}/copyright.in" "${out}/copyright" @ONLY)

# Debian wants both compressed with gzip -9 and without a time stamp (-n), so that the package
# is the same from one build to the next. Both are small and made while configuring.
foreach(file changelog veltrix.1)
  execute_process(COMMAND gzip -9 -n -c "${out}/${file}"
    OUTPUT_FILE "${out}/${file}.gz" COMMAND_ERROR_IS_FATAL ANY)
endforeach()

install(FILES "${out}/copyright" "${out}/changelog.gz" DESTINATION "${docdir}")
install(FILES "${out}/veltrix.1.gz" DESTINATION "${CMAKE_INSTALL_MANDIR}/man1")

# Debian ships its programs without the compilers' .comment notes (dh_strip removes them), and
# stripping alone keeps them.
install(CODE "execute_process(COMMAND \"${CMAKE_OBJCOPY}\" --remove-section=.comment
  \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/$<TARGET_FILE_NAME:veltrix>\"
  COMMAND_ERROR_IS_FATAL ANY)")
