# The Windows downloads, all holding the one Veltrix.exe: a per-user installer made by CPack's
# NSIS generator with our own script (windows/NSIS.template.in) and Debian's makensis, a
# portable zip, and a per-machine MSI made by wixl after the zip (windows/msi.cmake).
set(CPACK_GENERATOR NSIS ZIP)
set(CPACK_PACKAGE_FILE_NAME "Veltrix-${VELTRIX_DISPLAY_VERSION}-win64")
set(VELTRIX_PACKAGES
  "${CMAKE_BINARY_DIR}/${CPACK_PACKAGE_FILE_NAME}-setup.exe"
  "${CMAKE_BINARY_DIR}/${CPACK_PACKAGE_FILE_NAME}.zip"
  "${CMAKE_BINARY_DIR}/${CPACK_PACKAGE_FILE_NAME}.msi" CACHE INTERNAL "Packages CPack writes")

# CPack looks for NSIS.template.in on the module path before its own.
list(PREPEND CMAKE_MODULE_PATH "${CMAKE_CURRENT_SOURCE_DIR}/windows")
set(CPACK_PACKAGE_INSTALL_DIRECTORY Veltrix)
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY Veltrix)
set(CPACK_NSIS_DISPLAY_NAME Veltrix)
set(CPACK_NSIS_MUI_ICON "${PROJECT_SOURCE_DIR}/resources/veltrix.ico")
set(CPACK_NSIS_MUI_UNIICON "${CPACK_NSIS_MUI_ICON}")
# Read by the script: the program file, and the numbers of the installer's own version record.
set(CPACK_VELTRIX_PROGRAM Veltrix.exe)
string(REPLACE "," "." CPACK_VELTRIX_NUMERIC_VERSION "${VELTRIX_NUMERIC_VERSION}")

# Signed when the build is given a certificate (windows/sign.sh, which does nothing without
# one): the program after stripping, before either package takes it, and in the installer script
# the uninstaller and the installer itself.
set(CPACK_VELTRIX_SIGN "${CMAKE_CURRENT_SOURCE_DIR}/windows/sign.sh")
install(CODE "execute_process(COMMAND \"${CPACK_VELTRIX_SIGN}\"
  \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/$<TARGET_FILE_NAME:veltrix>\" COMMAND_ERROR_IS_FATAL ANY)")
# The installer closes a running program by its window class before it replaces or removes the
# file; the class is read from the program's own header, so the two cannot drift apart.
file(STRINGS "${PROJECT_SOURCE_DIR}/ui/win32/form1.h" class_name REGEX "ClassName\\[\\] = L\"")
string(REGEX REPLACE ".*L\"([^\"]+)\".*" "\\1" CPACK_VELTRIX_WINDOW_CLASS "${class_name}")
if(NOT CPACK_VELTRIX_WINDOW_CLASS MATCHES "^[A-Za-z0-9._]+$")
  message(FATAL_ERROR "No window class name found in ui/win32/form1.h")
endif()
# The setup stops where the MSI, found by its UpgradeCode, is installed.
set(CPACK_VELTRIX_MSI_UPGRADE_CODE "${VELTRIX_MSI_UPGRADE_CODE}")
# The installer's texts in every language it speaks.
set(CPACK_VELTRIX_NSIS_MESSAGES "${CMAKE_CURRENT_SOURCE_DIR}/windows/messages.nsh")

# The MSI: its version and codes derived from the project version, which a test overrides to
# make an older release.
set(CPACK_POST_BUILD_SCRIPTS "${CMAKE_CURRENT_SOURCE_DIR}/windows/zip.cmake"
                              "${CMAKE_CURRENT_SOURCE_DIR}/windows/msi.cmake")
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(CPACK_VELTRIX_PYTHON "${Python3_EXECUTABLE}")
set(CPACK_VELTRIX_ZIP_WITHOUT_OWNER "${CMAKE_CURRENT_SOURCE_DIR}/windows/zip-without-owner.py")
set(CPACK_VELTRIX_MSI_TEMPLATE "${CMAKE_CURRENT_SOURCE_DIR}/windows/Veltrix.wxs.in")
set(CPACK_VELTRIX_VERSION_SCRIPT "${PROJECT_SOURCE_DIR}/cmake/version.cmake")
set(CPACK_VELTRIX_VERSION "${PROJECT_VERSION}")
set(CPACK_VELTRIX_RELEASE_DATE "${VELTRIX_RELEASE_DATE}")
# Stops here, not at packaging time, on a version the MSI cannot carry.
veltrix_msi_version(VELTRIX_MSI_VERSION "${PROJECT_VERSION}")
