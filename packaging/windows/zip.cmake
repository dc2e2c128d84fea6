# Run by CPack after each generator (CPACK_POST_BUILD_SCRIPTS); after the zip, it writes the zip
# anew without the builder's user and group ids.
if(NOT CPACK_GENERATOR STREQUAL "ZIP")
  return()
endif()
foreach(package IN LISTS CPACK_PACKAGE_FILES)
  execute_process(COMMAND "${CPACK_VELTRIX_PYTHON}" "${CPACK_VELTRIX_ZIP_WITHOUT_OWNER}" "${package}"
                  COMMAND_ERROR_IS_FATAL ANY)
endforeach()
