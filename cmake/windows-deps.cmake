# What the Windows form builds with, made from Debian's sources rather than
# found on the system (SQLite, as on Linux, comes from cmake/sqlite.cmake):
# GoogleTest from Debian's googletest sources, and CLI11's headers without the
# host's include directory (which would bring Linux headers into the build).

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
