# The Linux program is compiled and linked as Debian compiles its own packages: with the flags of
# dpkg-buildflags, hardening all on (stack protector, format checks, FORTIFY, read-only
# relocations bound at start-up). The build type still chooses optimisation and debugging
# information, and the build's own file prefix maps replace Debian's. Where dpkg-buildflags does not
# exist (a distribution other than Debian's family, a Flatpak SDK) the build keeps CMake's own
# flags and the platform's defaults. Like every build tool, it is taken from the path.
find_program(DPKG_BUILDFLAGS dpkg-buildflags NO_CMAKE_SYSTEM_PATH)
if(NOT DPKG_BUILDFLAGS)
  message(STATUS "dpkg-buildflags not found: building with CMake's and the compiler's own flags")
  return()
endif()

function(veltrix_debian_buildflags out kind)
  execute_process(COMMAND "${CMAKE_COMMAND}" -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
                          "${DPKG_BUILDFLAGS}" --get ${kind}
    OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
  separate_arguments(flags UNIX_COMMAND "${flags}")
  list(FILTER flags EXCLUDE REGEX "^-(g|O.*|ffile-prefix-map=.*)$")
  set(${out} "${flags}" PARENT_SCOPE)
endfunction()

veltrix_debian_buildflags(cxxflags CXXFLAGS)
veltrix_debian_buildflags(cppflags CPPFLAGS)
veltrix_debian_buildflags(ldflags LDFLAGS)
add_compile_options(${cxxflags})
# FORTIFY needs the optimiser's knowledge of object sizes; glibc warns about it in a build without
# optimisation, so a debug build goes without.
foreach(flag IN LISTS cppflags)
  add_compile_options("$<$<NOT:$<CONFIG:Debug>>:${flag}>")
endforeach()
add_link_options(${ldflags})
