# What the Windows form builds with, made from Debian's sources rather than
# found on the system: SQLite from the amalgamation that
# scripts/sqlite-amalgamation.sh makes from Debian's sqlite3 source package,
# GoogleTest from Debian's googletest sources, and CLI11's headers without the
# host's include directory (which would bring Linux headers into the build).

set(DEALTEXT_SQLITE_AMALGAMATION "${CMAKE_BINARY_DIR}/deps/sqlite"
    CACHE PATH "Folder holding sqlite3.c and sqlite3.h")
if(NOT EXISTS "${DEALTEXT_SQLITE_AMALGAMATION}/sqlite3.c")
  execute_process(
    COMMAND "${PROJECT_SOURCE_DIR}/scripts/sqlite-amalgamation.sh" "${DEALTEXT_SQLITE_AMALGAMATION}"
    RESULT_VARIABLE amalgamation_result)
  if(NOT amalgamation_result EQUAL 0)
    message(FATAL_ERROR "Cannot make the SQLite amalgamation in ${DEALTEXT_SQLITE_AMALGAMATION}")
  endif()
endif()

# The same options that change behaviour as Debian's own build of SQLite, so
# both forms answer alike.
add_library(dealtext_sqlite3 STATIC "${DEALTEXT_SQLITE_AMALGAMATION}/sqlite3.c")
target_include_directories(dealtext_sqlite3 SYSTEM PUBLIC "${DEALTEXT_SQLITE_AMALGAMATION}")
target_compile_definitions(dealtext_sqlite3 PRIVATE
  SQLITE_THREADSAFE=1
  SQLITE_ENABLE_COLUMN_METADATA
  SQLITE_ENABLE_MATH_FUNCTIONS
  SQLITE_LIKE_DOESNT_MATCH_BLOBS
  SQLITE_SECURE_DELETE
  SQLITE_USE_URI=1
  SQLITE_DEFAULT_RECURSIVE_TRIGGERS=1
  SQLITE_TEMP_STORE=1
  SQLITE_SOUNDEX
  SQLITE_MAX_COLUMN=2000
  SQLITE_MAX_VARIABLE_NUMBER=250000
  SQLITE_MAX_LENGTH=1000000000
  SQLITE_MAX_SQL_LENGTH=1000000000
  SQLITE_OMIT_LOAD_EXTENSION)
target_compile_options(dealtext_sqlite3 PRIVATE -O2 -w)
add_library(SQLite::SQLite3 ALIAS dealtext_sqlite3)

if(BUILD_TESTING)
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest "${CMAKE_BINARY_DIR}/deps/googletest" EXCLUDE_FROM_ALL)
  target_compile_options(gtest PRIVATE -w)
  target_compile_options(gtest_main PRIVATE -w)
endif()

set(cli11_dir "${CMAKE_BINARY_DIR}/deps/cli11")
file(MAKE_DIRECTORY "${cli11_dir}")
file(COPY /usr/include/CLI DESTINATION "${cli11_dir}")
add_library(dealtext_cli11 INTERFACE)
target_include_directories(dealtext_cli11 SYSTEM INTERFACE "${cli11_dir}")
add_library(CLI11::CLI11 ALIAS dealtext_cli11)
