# Run by CPack after each generator: writes SHA256SUMS beside the packages, one line for each
# package named in CPACK_VELTRIX_PACKAGES that is there, in the form `sha256sum --check` reads.
# CPack runs this before it copies the new package into place, so that one is read where it was
# made; a package another generator has yet to make in this run gets its line when that one ends.
set(lines "")
foreach(package IN LISTS CPACK_VELTRIX_PACKAGES)
  get_filename_component(name "${package}" NAME)
  set(source "${CPACK_PACKAGE_DIRECTORY}/${name}")
  foreach(made IN LISTS CPACK_PACKAGE_FILES)
    get_filename_component(made_name "${made}" NAME)
    if(made_name STREQUAL name)
      set(source "${made}")
    endif()
  endforeach()
  if(EXISTS "${source}")
    file(SHA256 "${source}" sum)
    string(APPEND lines "${sum}  ${name}\n")
  endif()
endforeach()
file(WRITE "${CPACK_PACKAGE_DIRECTORY}/SHA256SUMS" "${lines}")
