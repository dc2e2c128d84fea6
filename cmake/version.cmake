# The forms of the one project version that the program and its packages show. Usable from a
# project (after project(VERSION)) and from a cmake -P script, which is how its test runs it.

# Sets out to the display form MAJOR.MINOR with the minor number in two digits: 1.0.0 is "1.00",
# 2.5 is "2.05". Patch and tweak never show. A minor number past 99 has no such form and stops.
function(veltrix_display_version out version)
  string(REPLACE "." ";" numbers "${version}")
  list(LENGTH numbers count)
  if(count LESS 2)
    message(FATAL_ERROR "version ${version} has no minor number")
  endif()
  list(GET numbers 0 major)
  list(GET numbers 1 minor)
  math(EXPR minor "${minor}")
  if(minor GREATER 99)
    message(FATAL_ERROR "minor version ${minor} has more than two digits")
  endif()
  if(minor LESS 10)
    set(minor "0${minor}")
  endif()
  set(${out} "${major}.${minor}" PARENT_SCOPE)
endfunction()

# Sets out to the four comma-separated numbers of a Windows version record, missing ones 0:
# 1.0.0 is "1,0,0,0". Each number must fit the record's 16 bits.
function(veltrix_numeric_version out version)
  string(REPLACE "." ";" numbers "${version}")
  list(LENGTH numbers count)
  while(count LESS 4)
    list(APPEND numbers 0)
    math(EXPR count "${count} + 1")
  endwhile()
  foreach(number IN LISTS numbers)
    if(number GREATER 65535)
      message(FATAL_ERROR "version number ${number} in ${version} does not fit 16 bits")
    endif()
  endforeach()
  list(JOIN numbers "," joined)
  set(${out} "${joined}" PARENT_SCOPE)
endfunction()
