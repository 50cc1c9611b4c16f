# The packages, made by CPack from the install rules (cmake/install.cmake):
#   POSIX:   cmake --build build --target package     dealtext_<version>_amd64.deb
#   Windows: cmake --build build-win --target package dealtext-<version>-win32.zip
# The version is the project's (CPack's default); the Debian package's
# dependencies are worked out by dpkg-shlibdeps from the binaries it holds.
set(CPACK_PACKAGE_NAME dealtext)
set(CPACK_PACKAGE_VENDOR "The dealtext developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "turns exported accounting tables into one work database")
set(CPACK_STRIP_FILES ON)

if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME dealtext-${PROJECT_VERSION}-win32)
  # The archive unpacks into a folder of its own name.
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${DEALTEXT_PACKAGE_MAINTAINER})
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
      "dealtext reads a folder of tables exported by a treasury payment system\n"
      "(comma-separated text in code page 936) and builds one work database from\n"
      "them: it imports the seven known tables, rebuilds the account codes,\n"
      "derives the balance, voucher-line and auxiliary-code tables and cleans\n"
      "the code columns.\n"
      "\n"
      "This package holds the command-line tool dealtext and the plug-in library\n"
      "a host conversion application loads (DoIt).")
  string(JOIN "" CPACK_DEBIAN_PACKAGE_DESCRIPTION ${CPACK_DEBIAN_PACKAGE_DESCRIPTION})
endif()
include(CPack)
