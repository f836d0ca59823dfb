# The Debian package: `cpack -G DEB` in the build folder. Its dependencies are read from the
# program's libraries by dpkg-shlibdeps; shared-mime-info is named because without it no file
# type has a name, which no library reveals.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME roomkin)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Roomkin '95 developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "find what takes up room on your drives and remove it")
# Lines as the control file wants them, at most 79 columns with its leading blank.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
    "Roomkin '95 is a desktop disk-space utility. It finds duplicate files, file"
    "hogs (the largest files), files by access, creation or modification date and"
    "folder hogs (the largest folders), and shows drive statistics by type, size"
    "and age. Results are listed in grids: mark entries and delete them or send"
    "them to the trash, print a report, or copy the list. A folder browser and a"
    "viewer that shows any file as text or hex come with it. The searches also"
    "run from the command line as reports.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${ROOMKIN_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS shared-mime-info)
include(CPack)
