# cmake -P version_test.cmake: the version forms of cmake/version.cmake, one row a case.
# With -DREJECT=VERSION -DFORM=display|msi it instead asks for that form of a version that has
# none, which must stop with a message (the test that runs it expects that message).
include("${CMAKE_CURRENT_LIST_DIR}/../../cmake/version.cmake")

if(DEFINED REJECT)
  cmake_language(CALL veltrix_${FORM}_version form "${REJECT}")
  message(FATAL_ERROR "${REJECT} was given the ${FORM} form ${form}")
endif()

function(expect what got want)
  if(NOT got STREQUAL want)
    message(SEND_ERROR "${what}: got '${got}', want '${want}'")
  endif()
endfunction()

# Each row: what it proves|version|the form wanted.
function(expect_forms form)
  foreach(row IN LISTS ARGN)
    string(REPLACE "|" ";" row "${row}")
    list(GET row 0 what)
    list(GET row 1 version)
    list(GET row 2 want)
    cmake_language(CALL veltrix_${form}_version got "${version}")
    expect("${form} form, ${what} (${version})" "${got}" "${want}")
  endforeach()
endfunction()

# Display form: the minor number always in two digits; patch and tweak shown as far as they tell
# a release apart, so that a patch release never shows as the release it mends.
expect_forms(display
    "release as shipped|1.0.0|1.00"
    "single-digit minor is padded|2.5|2.05"
    "two-digit minor stands|1.10|1.10"
    "patch release is visible|1.0.1|1.00.1"
    "patch kept with two-digit minor|1.10.3|1.10.3"
    "tweak release keeps its zero patch|3.99.0.7|3.99.0.7"
    "zero tweak hides|2.5.0.0|2.05"
    "leading zero read as a number|1.05|1.05")

# Numeric form: always four numbers, the missing ones zero.
expect_forms(numeric
    "release as shipped|1.0.0|1,0,0,0"
    "two numbers|2.5|2,5,0,0"
    "all four|1.2.3.4|1,2,3,4"
    "largest 16-bit number|65535.0|65535,0,0,0")

# MSI ProductVersion: three numbers, as Windows Installer compares them.
expect_forms(msi
    "release as shipped|1.0.0|1.0.0"
    "missing patch is zero|2.5|2.5.0"
    "patch release|1.0.1|1.0.1"
    "leading zeros dropped|1.05.007|1.5.7"
    "largest numbers|255.255.65535|255.255.65535")

# MSI codes: the shipped release's ProductCode never changes, one version however written has
# one; every release has its own, and every package contents its own PackageCode.
veltrix_msi_product_code(product 1.0.0)
expect("ProductCode of 1.0.0" "${product}" "8E2D0BDA-47B8-58A1-B95A-2EDFDB098FC4")
veltrix_msi_product_code(short_product 1.0)
expect("ProductCode of 1.0 is that of 1.0.0" "${short_product}" "${product}")
veltrix_msi_product_code(patch_product 1.0.1)
veltrix_msi_package_code(package "digest of one package")
veltrix_msi_package_code(respin_package "digest of a respin")
foreach(pair IN ITEMS "ProductCode|${patch_product}|${product}" "PackageCode|${respin_package}|${package}"
                      "ProductCode and PackageCode|${product}|${package}")
  string(REPLACE "|" ";" pair "${pair}")
  list(GET pair 0 what)
  list(GET pair 1 one)
  list(GET pair 2 other)
  if(one STREQUAL other)
    message(SEND_ERROR "${what} must differ, both are ${one}")
  endif()
endforeach()
