# Run by CPack after each generator (CPACK_POST_BUILD_SCRIPTS). After the zip it makes the MSI
# with wixl, from the very Veltrix.exe, stripped, that the zip holds.
if(NOT CPACK_GENERATOR STREQUAL "ZIP")
  return()
endif()

include("${CPACK_VELTRIX_VERSION_SCRIPT}")
veltrix_msi_version(VELTRIX_MSI_VERSION "${CPACK_VELTRIX_VERSION}")
veltrix_msi_product_code(VELTRIX_MSI_PRODUCT_CODE "${CPACK_VELTRIX_VERSION}")
string(UUID VELTRIX_MSI_COMPONENT_CODE NAMESPACE "${VELTRIX_MSI_UPGRADE_CODE}"
       NAME "component ${CPACK_VELTRIX_PROGRAM}" TYPE SHA1 UPPER)

# wixl takes no absolute paths: it reads the files its source names from the folder it runs in.
set(folder "${CPACK_TOPLEVEL_DIRECTORY}/msi")
file(REMOVE_RECURSE "${folder}")
file(COPY "${CPACK_TEMPORARY_DIRECTORY}/${CPACK_VELTRIX_PROGRAM}" "${CPACK_NSIS_MUI_ICON}" DESTINATION "${folder}")
get_filename_component(VELTRIX_MSI_ICON "${CPACK_NSIS_MUI_ICON}" NAME)
configure_file("${CPACK_VELTRIX_MSI_TEMPLATE}" "${folder}/Veltrix.wxs" @ONLY)
# The package is its source and the files that source names.
set(contents "")
foreach(file Veltrix.wxs "${CPACK_VELTRIX_PROGRAM}" "${VELTRIX_MSI_ICON}")
  file(SHA256 "${folder}/${file}" digest)
  string(APPEND contents "${file} ${digest};")
endforeach()
string(SHA256 contents "${contents}")
veltrix_msi_package_code(VELTRIX_MSI_PACKAGE_CODE "${contents}")

# Same sources, same bytes: the cabinet keeps the program file's time and wixl writes its clock
# into the summary as the creation and save times, so both are the release date. wixl draws the
# PackageCode at random; msibuild puts the one derived from the contents in its place.
execute_process(COMMAND touch -d "@${CPACK_VELTRIX_RELEASE_EPOCH}" "${folder}/${CPACK_VELTRIX_PROGRAM}"
                COMMAND_ERROR_IS_FATAL ANY)
set(msi "${CPACK_PACKAGE_DIRECTORY}/${CPACK_PACKAGE_FILE_NAME}.msi")
message(STATUS "wixl: ${msi}")
execute_process(COMMAND "${CMAKE_COMMAND}" -E env TZ=UTC
                        faketime -f "${CPACK_VELTRIX_RELEASE_DATE} 00:00:00"
                        wixl --arch x64 --output "${msi}" Veltrix.wxs
                WORKING_DIRECTORY "${folder}" COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND msibuild "${msi}" -s "${CPACK_NSIS_DISPLAY_NAME} ${CPACK_PACKAGE_VERSION}"
                        "${CPACK_PACKAGE_VENDOR}" "x64;1033" "{${VELTRIX_MSI_PACKAGE_CODE}}"
                COMMAND_ERROR_IS_FATAL ANY)
# Signed last, as the setup is, when the build is given a certificate.
execute_process(COMMAND "${CPACK_VELTRIX_SIGN}" "${msi}" COMMAND_ERROR_IS_FATAL ANY)
