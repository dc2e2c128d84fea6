# Run by CPack once per generator, before it installs and names the package.

# The installer's name says what it is.
if(CPACK_GENERATOR STREQUAL "NSIS")
  string(APPEND CPACK_PACKAGE_FILE_NAME "-setup")
endif()

# Stripping writes a time stamp into the program file; binutils takes this one instead of the
# clock, so that the zip and the installer hold the very same Veltrix.exe, build after build.
set(ENV{SOURCE_DATE_EPOCH} "${CPACK_VELTRIX_RELEASE_EPOCH}")
