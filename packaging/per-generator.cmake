# Run by CPack once per generator, before it installs and names the package.

# The installer's name says what it is.
if(CPACK_GENERATOR STREQUAL "NSIS")
  string(APPEND CPACK_PACKAGE_FILE_NAME "-setup")
endif()

# The one time stamp for everything packaging writes, build after build: CPack's tar, gzip and ar
# headers of the .deb and the zip's entries, the time binutils writes into a stripped program, and
# the signing time of a signed one (windows/sign.sh).
set(ENV{SOURCE_DATE_EPOCH} "${CPACK_VELTRIX_RELEASE_EPOCH}")
# A zip stores its times in the local time of the machine that made it; in UTC they are the same
# in every time zone.
set(ENV{TZ} UTC)
