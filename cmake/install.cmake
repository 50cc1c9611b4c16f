# What users install, and nothing else: each shipping target is named here,
# so test programs, fakes, generators, the host's stand-ins and any test
# build of the DLL stay in the build folder.
#
# POSIX (cmake --install, and the Debian package): the tool in bin; the
# plug-in with the OLE strings library it loads beside it in lib/dealtext
# (a plug-in is loaded by its path, not linked against, so its libraries
# are the package's own, as Debian keeps private libraries); the manual
# page; README, the licence and the notices of what is linked in.
# Windows (the archive for the host's administrator): the DLL, the tool,
# the Jet check script, the install note, the licence and the notices, all
# at the top of the archive's folder.
include(GNUInstallDirs)

# The notices of what the binaries link in, from Debian's copyright files of
# the packages they are built from (SQLite's from its amalgamation's own
# blessing and Debian's record of its sources; CLI11, header-only, compiled
# into the tool; the Windows form's runtimes, linked in statically).
set(notice_sources
  "SQLite (compiled in)|${DEALTEXT_SQLITE_AMALGAMATION}/sqlite3.h|/usr/share/doc/libsqlite3-0/copyright"
  "CLI11 (compiled into the tool)|/usr/share/doc/libcli11-dev/copyright")
if(WIN32)
  list(APPEND notice_sources
    "The mingw-w64 runtime and winpthreads (linked in)|/usr/share/doc/mingw-w64-i686-dev/copyright")
endif()
set(notices "dealtext links in the following software. Its licences and notices follow.\n")
foreach(entry ${notice_sources})
  string(REPLACE "|" ";" parts "${entry}")
  list(POP_FRONT parts title)
  string(APPEND notices "\n==== ${title}\n")
  foreach(source ${parts})
    if(NOT EXISTS ${source})
      message(FATAL_ERROR "The notice ${source} is missing (scripts/install-deps.sh installs it)")
    endif()
    file(READ ${source} text)
    if(source MATCHES "sqlite3\\.h$")
      # The header's opening comment is SQLite's notice, up to the line of
      # stars under its blessing.
      string(FIND "${text}" "\n*****" end)
      string(SUBSTRING "${text}" 0 ${end} text)
    endif()
    string(APPEND notices "\n${text}\n")
  endforeach()
endforeach()

if(WIN32)
  # The DLL's import library is for linking against it, which the host does
  # not: it loads the DLL.
  install(TARGETS dealtext dealtext_cli RUNTIME DESTINATION .
          ARCHIVE DESTINATION lib EXCLUDE_FROM_ALL)
  install(FILES ${PROJECT_SOURCE_DIR}/scripts/check-jet.js DESTINATION .)
  # For Notepad: Windows line ends, and a byte-order mark that says UTF-8.
  set(install_note_source ${PROJECT_SOURCE_DIR}/docs/INSTALL-windows.txt)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${install_note_source})
  file(READ ${install_note_source} text)
  string(CONFIGURE "${text}" text @ONLY)
  string(REPLACE "\n" "\r\n" text "${text}")
  string(ASCII 239 187 191 bom)
  set(install_note ${PROJECT_BINARY_DIR}/INSTALL.txt)
  file(WRITE ${install_note} "${bom}${text}")
  install(FILES ${install_note} DESTINATION .)
  install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION . RENAME LICENSE.txt)
  file(WRITE ${PROJECT_BINARY_DIR}/THIRD-PARTY-NOTICES.txt "${notices}")
  install(FILES ${PROJECT_BINARY_DIR}/THIRD-PARTY-NOTICES.txt DESTINATION .)
else()
  install(TARGETS dealtext_cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(TARGETS dealtext oleaut32 LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}/dealtext)
  set(DEALTEXT_PACKAGE_MAINTAINER "dealtext maintainers <dealtext@example.org>"
      CACHE STRING "The maintainer the Debian package and its changelog name")
  # Where Debian looks for them: the licence with the notices (copyright),
  # and a changelog of this version in Debian's format; both compressed as
  # Debian installs them (manual page and changelog).
  set(docs ${PROJECT_BINARY_DIR}/doc)
  file(READ ${PROJECT_SOURCE_DIR}/LICENSE license)
  file(WRITE ${docs}/copyright "dealtext\n\n${license}\n\n${notices}")
  string(TIMESTAMP changelog_date "%a, %d %b %Y %H:%M:%S +0000" UTC)
  file(WRITE ${docs}/changelog "dealtext (${PROJECT_VERSION}) unstable; urgency=medium\n\n"
             "  * Release ${PROJECT_VERSION}.\n\n"
             " -- ${DEALTEXT_PACKAGE_MAINTAINER}  ${changelog_date}\n")
  configure_file(${PROJECT_SOURCE_DIR}/docs/dealtext.1 ${docs}/dealtext.1 COPYONLY)
  foreach(name dealtext.1 changelog)
    add_custom_command(OUTPUT ${docs}/${name}.gz
      COMMAND gzip -9nkf ${docs}/${name}
      DEPENDS ${docs}/${name}
      VERBATIM)
  endforeach()
  add_custom_target(dealtext_docs ALL DEPENDS ${docs}/dealtext.1.gz ${docs}/changelog.gz)
  install(FILES ${docs}/dealtext.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/LICENSE ${docs}/copyright
                ${docs}/changelog.gz
          DESTINATION ${CMAKE_INSTALL_DOCDIR})
endif()
