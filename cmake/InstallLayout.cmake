# Where the installed program lives, relative to the root of the machine.
# The settings' defaults (pgmdrive, datadrive), the package's settings file
# and its maintainer scripts all follow these, so they are set in one place.
#
#   usr/lib/castellan            pgmdrive: the program folder is Orba/bin under
#                                it, the language tables Orba/languages
#   var/lib/castellan            datadrive: the system tables in Orba/data,
#                                company N in Orba/dataN
#   etc/castellan/orba.ini       the machine-wide settings file
set(ORBA_INSTALL_PROGRAM_ROOT usr/lib/castellan)
set(ORBA_INSTALL_PROGRAM_DIR ${ORBA_INSTALL_PROGRAM_ROOT}/Orba/bin)
set(ORBA_INSTALL_LANGUAGES_DIR ${ORBA_INSTALL_PROGRAM_ROOT}/Orba/languages)
set(ORBA_INSTALL_DATA_ROOT var/lib/castellan)
set(ORBA_INSTALL_BIN_DIR usr/bin)
set(ORBA_INSTALL_SETTINGS_DIR etc/castellan)
# The office's group, which owns the shared data folder.
set(ORBA_OFFICE_GROUP castellan)

# The tools installed in usr/bin find the program they belong to by this
# path from their own folder.
file(RELATIVE_PATH ORBA_PROGRAM_ROOT_FROM_BIN_DIR /${ORBA_INSTALL_BIN_DIR} /${ORBA_INSTALL_PROGRAM_ROOT})

# The Debian package and the file the `deb` target makes.
set(ORBA_PACKAGE_NAME castellan-orba)
execute_process(COMMAND dpkg --print-architecture OUTPUT_VARIABLE ORBA_DEB_ARCH
  OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
if(NOT ORBA_DEB_ARCH)
  set(ORBA_DEB_ARCH amd64)
endif()
set(ORBA_PACKAGE_FILE
    ${CMAKE_BINARY_DIR}/packages/${ORBA_PACKAGE_NAME}_${PROJECT_VERSION}_${ORBA_DEB_ARCH}.deb)
