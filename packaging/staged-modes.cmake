# Run by CPack after it has installed the files into its staging folder and before it packs them
# (CPACK_PRE_BUILD_SCRIPTS): every package records folders and programs as rwxr-xr-x and other
# files as rw-r--r--. Installed under a strict umask they would be private to the builder, and the
# same commit would give another package.
execute_process(COMMAND chmod -R u=rwX,go=rX "${CPACK_TEMPORARY_DIRECTORY}" COMMAND_ERROR_IS_FATAL ANY)
