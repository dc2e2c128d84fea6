# cmake -P version_test.cmake: the version forms of cmake/version.cmake, one row a case.
# With -DREJECT=VERSION it instead asks for the display form of a version that has none, which
# must stop with a message (the test that runs it expects that message).
include("${CMAKE_CURRENT_LIST_DIR}/../../cmake/version.cmake")

if(DEFINED REJECT)
  veltrix_display_version(form "${REJECT}")
  message(FATAL_ERROR "${REJECT} was given the display form ${form}")
endif()

function(expect what got want)
  if(NOT got STREQUAL want)
    message(SEND_ERROR "${what}: got '${got}', want '${want}'")
  endif()
endfunction()

# Display form: the minor number always in two digits, patch and tweak never shown.
foreach(row IN ITEMS
    "release as shipped|1.0.0|1.00"
    "single-digit minor is padded|2.5|2.05"
    "two-digit minor stands|1.10.3|1.10"
    "largest minor|3.99.0.7|3.99"
    "leading zero read as a number|1.05|1.05")
  string(REPLACE "|" ";" row "${row}")
  list(GET row 0 what)
  list(GET row 1 version)
  list(GET row 2 want)
  veltrix_display_version(got "${version}")
  expect("display form, ${what} (${version})" "${got}" "${want}")
endforeach()

# Numeric form: always four numbers, the missing ones zero.
foreach(row IN ITEMS
    "release as shipped|1.0.0|1,0,0,0"
    "two numbers|2.5|2,5,0,0"
    "all four|1.2.3.4|1,2,3,4"
    "largest 16-bit number|65535.0|65535,0,0,0")
  string(REPLACE "|" ";" row "${row}")
  list(GET row 0 what)
  list(GET row 1 version)
  list(GET row 2 want)
  veltrix_numeric_version(got "${version}")
  expect("numeric form, ${what} (${version})" "${got}" "${want}")
endforeach()
