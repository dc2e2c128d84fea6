# Run by CPack after it has made the .deb: gives the three members of its ar archive
# (debian-binary, control.tar.gz, data.tar.gz) the mode 100644. CPack writes them as files first
# and copies their modes, which follow the umask of the build; the same commit must give the same
# package under any umask. The ar header is text, so the mode is written over in place.
foreach(package IN LISTS CPACK_PACKAGE_FILES)
  if(NOT package MATCHES "\\.deb$")
    continue()
  endif()
  file(SIZE "${package}" end)
  set(mode_file "${package}.mode")
  file(WRITE "${mode_file}" "100644  ")
  # After the 8-byte archive signature, each member is a 60-byte header, its data, and a padding
  # byte when the data is of odd length. In the header, the mode is 8 bytes at offset 40 and the
  # size 10 bytes at offset 48.
  set(header 8)
  while(header LESS end)
    math(EXPR mode_at "${header} + 40")
    math(EXPR size_at "${header} + 48")
    file(READ "${package}" size OFFSET ${size_at} LIMIT 10)
    string(STRIP "${size}" size)
    execute_process(COMMAND dd "of=${package}" bs=1 seek=${mode_at} conv=notrunc status=none
      INPUT_FILE "${mode_file}" COMMAND_ERROR_IS_FATAL ANY)
    math(EXPR header "${header} + 60 + ${size} + ${size} % 2")
  endwhile()
  file(REMOVE "${mode_file}")
endforeach()
