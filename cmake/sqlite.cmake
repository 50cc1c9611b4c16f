# SQLite, for both forms: compiled into the programs from the amalgamation
# that scripts/sqlite-amalgamation.sh makes from Debian's sqlite3 source
# package (the version Debian ships), made once for all build directories.
#
# Options that change behaviour are those of Debian's own build, so both
# forms answer alike and as the system's sqlite3 does. Debian's library also
# turns off SQLite's small-allocation cache (lookaside) and keeps memory
# statistics behind a lock, and carries hooks this engine never uses; this
# build keeps the cache and drops the rest, which the engine's whole-table
# statements run much faster with.
set(DEALTEXT_SQLITE_AMALGAMATION "${PROJECT_SOURCE_DIR}/build-deps/sqlite"
    CACHE PATH "Folder holding sqlite3.c and sqlite3.h")
if(NOT EXISTS "${DEALTEXT_SQLITE_AMALGAMATION}/sqlite3.c")
  execute_process(
    COMMAND "${PROJECT_SOURCE_DIR}/scripts/sqlite-amalgamation.sh" "${DEALTEXT_SQLITE_AMALGAMATION}"
    RESULT_VARIABLE amalgamation_result)
  if(NOT amalgamation_result EQUAL 0)
    message(FATAL_ERROR "Cannot make the SQLite amalgamation in ${DEALTEXT_SQLITE_AMALGAMATION}")
  endif()
endif()

add_library(dealtext_sqlite3 STATIC "${DEALTEXT_SQLITE_AMALGAMATION}/sqlite3.c")
target_include_directories(dealtext_sqlite3 SYSTEM PUBLIC "${DEALTEXT_SQLITE_AMALGAMATION}")
target_compile_definitions(dealtext_sqlite3 PRIVATE
  SQLITE_THREADSAFE=1
  SQLITE_DEFAULT_MEMSTATUS=0
  SQLITE_ENABLE_COLUMN_METADATA
  SQLITE_ENABLE_MATH_FUNCTIONS
  # The clean-up patches the records of a table in its pages (page_rewrite.h).
  SQLITE_ENABLE_DBPAGE_VTAB
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
  SQLITE_OMIT_LOAD_EXTENSION
  # The statement parser's stack grows as a statement needs it, rather than
  # failing at a fixed depth of 100: the engine's own parser then decides
  # what nests too deeply, in its own words, and the translation's added
  # parentheses and calls never take a statement past SQLite's.
  YYSTACKDEPTH=0
  # Foreign keys are never enforced here (SQLite's default, which the engine
  # keeps, as Jet's statements declare none). Compiled in, every table made
  # walks every table of the database to clear a cache of their foreign
  # keys: with an export of thousands of small files, most of the imports'
  # time. Without them, constraints that other tools declare are still read
  # and kept in the table's definition.
  SQLITE_OMIT_FOREIGN_KEY)
# Third-party code: optimised in every build type, without our warnings, and
# without the sanitizers (as the system's library was), which would only
# slow the sanitizer build's tests.
set_target_properties(dealtext_sqlite3 PROPERTIES COMPILE_OPTIONS "-O2;-w")
if(NOT WIN32)
  target_link_libraries(dealtext_sqlite3 PUBLIC Threads::Threads m)
endif()
add_library(SQLite::SQLite3 ALIAS dealtext_sqlite3)
