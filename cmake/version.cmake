# The forms of the one project version that the program and its packages show. Usable from a
# project (after project(VERSION)), from CPack's scripts and from a cmake -P script, which is how
# its test runs it.

# The numbers of a version, missing ones 0, each checked to be a plain number: "1.2" is 1;2;0;0.
function(veltrix_version_numbers out version)
  string(REPLACE "." ";" numbers "${version}")
  list(LENGTH numbers count)
  while(count LESS 4)
    list(APPEND numbers 0)
    math(EXPR count "${count} + 1")
  endwhile()
  foreach(number IN LISTS numbers)
    if(NOT number MATCHES "^[0-9]+$")
      message(FATAL_ERROR "version ${version} is not made of numbers")
    endif()
  endforeach()
  set(${out} "${numbers}" PARENT_SCOPE)
endfunction()

# Sets out to the display form: the major number, the minor number in two digits, then the patch
# and tweak numbers as far as they tell a release apart: 1.0.0 is "1.00", 2.5 is "2.05", 1.0.1 is
# "1.00.1" and 1.0.0.2 "1.00.0.2". Each release thus has its own form, and dpkg and Windows order
# them as the versions: 1.00 < 1.00.1 < 1.01. A minor number past 99 has no such form and stops.
function(veltrix_display_version out version)
  if(NOT version MATCHES "^[^.]+\\.")
    message(FATAL_ERROR "version ${version} has no minor number")
  endif()
  veltrix_version_numbers(numbers "${version}")
  list(GET numbers 0 major)
  list(GET numbers 1 minor)
  list(GET numbers 2 patch)
  list(GET numbers 3 tweak)
  math(EXPR minor "${minor}")
  if(minor GREATER 99)
    message(FATAL_ERROR "minor version ${minor} has more than two digits")
  endif()
  if(minor LESS 10)
    set(minor "0${minor}")
  endif()
  set(form "${major}.${minor}")
  math(EXPR patch "${patch}")
  math(EXPR tweak "${tweak}")
  if(tweak GREATER 0)
    string(APPEND form ".${patch}.${tweak}")
  elseif(patch GREATER 0)
    string(APPEND form ".${patch}")
  endif()
  set(${out} "${form}" PARENT_SCOPE)
endfunction()

# Sets out to the four comma-separated numbers of a Windows version record, missing ones 0:
# 1.0.0 is "1,0,0,0". Each number must fit the record's 16 bits.
function(veltrix_numeric_version out version)
  veltrix_version_numbers(numbers "${version}")
  foreach(number IN LISTS numbers)
    if(number GREATER 65535)
      message(FATAL_ERROR "version number ${number} in ${version} does not fit 16 bits")
    endif()
  endforeach()
  list(JOIN numbers "," joined)
  set(${out} "${joined}" PARENT_SCOPE)
endfunction()

# Sets out to the ProductVersion of the MSI: 1.0.0 is "1.0.0". Windows Installer compares only
# the first three numbers, major and minor up to 255, so a tweak release could never replace the
# release before it: such a version stops instead.
function(veltrix_msi_version out version)
  veltrix_version_numbers(numbers "${version}")
  list(GET numbers 0 major)
  list(GET numbers 1 minor)
  list(GET numbers 2 patch)
  list(GET numbers 3 tweak)
  if(major GREATER 255 OR minor GREATER 255 OR patch GREATER 65535)
    message(FATAL_ERROR "version ${version} is beyond the MSI's 255.255.65535")
  endif()
  if(tweak GREATER 0)
    message(FATAL_ERROR "version ${version} has a tweak number, which an MSI upgrade cannot see")
  endif()
  math(EXPR major "${major}")
  math(EXPR minor "${minor}")
  math(EXPR patch "${patch}")
  set(${out} "${major}.${minor}.${patch}" PARENT_SCOPE)
endfunction()

# The MSI's UpgradeCode: one for every release ever made, so that each finds and replaces the
# one before it. Never change it.
set(VELTRIX_MSI_UPGRADE_CODE 62FACF48-8B83-4EE3-8761-AA0E50BAA60E)

# Sets out to the MSI's ProductCode for a version: name based (SHA-1) in the UpgradeCode's
# namespace, so that one version always gets the same code, and each version its own.
function(veltrix_msi_product_code out version)
  veltrix_msi_version(msi_version "${version}")
  string(UUID code NAMESPACE "${VELTRIX_MSI_UPGRADE_CODE}" NAME "product ${msi_version}" TYPE SHA1 UPPER)
  set(${out} "${code}" PARENT_SCOPE)
endfunction()

# Sets out to the MSI's PackageCode, which Windows Installer takes to name one package and no
# other: name based on a digest of everything the package is made from, so that the same
# contents get the same code and the same bytes, and a respin with changed contents a new one.
function(veltrix_msi_package_code out contents_digest)
  string(UUID code NAMESPACE "${VELTRIX_MSI_UPGRADE_CODE}" NAME "package ${contents_digest}" TYPE SHA1 UPPER)
  set(${out} "${code}" PARENT_SCOPE)
endfunction()
