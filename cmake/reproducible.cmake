# Two builds of one commit give the same bytes, wherever and whenever they run: every time stamp
# is the release date's, and no build folder shows in what is built.

# Midnight UTC of the release date, in seconds since 1970: the time stamp of every file in every
# package, handed to the packaging tools as SOURCE_DATE_EPOCH (the reproducible-builds convention).
execute_process(COMMAND date -u -d "${VELTRIX_RELEASE_DATE}" +%s
  OUTPUT_VARIABLE VELTRIX_SOURCE_DATE_EPOCH OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)

# The debugging information names the source and build folders, and the linker's build-id, which
# stripping keeps, is a hash over it. Mapped to fixed names, the folders drop out of both. GCC
# tries the last map first, so the build folder, often inside the source folder, comes last.
add_compile_options("-ffile-prefix-map=${PROJECT_SOURCE_DIR}=." "-ffile-prefix-map=${PROJECT_BINARY_DIR}=build")
