# Writes the version header the tool and the DLL's version resource read:
# the project version (passed in) and the commit the sources were built
# from, with "-modified" when tracked files differ from it. Run at every
# build (cmake -P), so the commit is that of the build, not of the last
# configure; the file is rewritten only when its text changes, so an
# unchanged commit rebuilds nothing.
#
#   cmake -DVERSION=1.2.3 -DSOURCE_DIR=... -DOUTPUT=.../dealtext_version.h -P version-header.cmake
foreach(required VERSION SOURCE_DIR OUTPUT)
  if(NOT DEFINED ${required})
    message(FATAL_ERROR "version-header.cmake needs -D${required}=...")
  endif()
endforeach()

set(commit "unknown")
find_program(GIT_EXECUTABLE git)
if(GIT_EXECUTABLE)
  execute_process(COMMAND "${GIT_EXECUTABLE}" rev-parse --short=12 HEAD
    WORKING_DIRECTORY "${SOURCE_DIR}" RESULT_VARIABLE status OUTPUT_VARIABLE head
    OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  if(status EQUAL 0 AND head)
    set(commit "${head}")
    execute_process(COMMAND "${GIT_EXECUTABLE}" status --porcelain --untracked-files=no
      WORKING_DIRECTORY "${SOURCE_DIR}" RESULT_VARIABLE status OUTPUT_VARIABLE changes
      ERROR_QUIET)
    if(NOT status EQUAL 0 OR changes)
      string(APPEND commit "-modified")
    endif()
  endif()
endif()

string(REPLACE "." ";" parts "${VERSION}")
list(APPEND parts 0 0 0)
list(GET parts 0 major)
list(GET parts 1 minor)
list(GET parts 2 patch)
set(text "// Made by cmake/version-header.cmake at build time.
#pragma once
#define DEALTEXT_VERSION \"${VERSION}\"
#define DEALTEXT_VERSION_MAJOR ${major}
#define DEALTEXT_VERSION_MINOR ${minor}
#define DEALTEXT_VERSION_PATCH ${patch}
#define DEALTEXT_COMMIT \"${commit}\"
#define DEALTEXT_VERSION_AND_COMMIT \"${VERSION} (commit ${commit})\"
")
set(old "")
if(EXISTS "${OUTPUT}")
  file(READ "${OUTPUT}" old)
endif()
if(NOT old STREQUAL text)
  file(WRITE "${OUTPUT}" "${text}")
endif()
