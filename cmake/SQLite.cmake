# One SQLite for every build (Linux, the sanitizer and fuzz builds, Windows):
# the amalgamation that scripts/fetch-sqlite pins, compiled in with the
# options this store wants. The code links kestro::sqlite.
#
# KESTRO_SYSTEM_SQLITE=ON links the system's library instead (for a
# distribution that wants its own). Otherwise, where the system library is at
# hand, a program that sets the target property KESTRO_SYSTEM_SQLITE links it
# in place of the pinned one; the tests compare the two programs' bytes.
option(KESTRO_SYSTEM_SQLITE "Link the system's SQLite instead of the pinned amalgamation" OFF)
set(KESTRO_SQLITE_FOLDER "" CACHE PATH
    "Folder holding sqlite3.c and sqlite3.h (empty: scripts/fetch-sqlite brings them)")

add_library(kestro_sqlite INTERFACE)
add_library(kestro::sqlite ALIAS kestro_sqlite)
if(KESTRO_SYSTEM_SQLITE)
  find_package(SQLite3 REQUIRED)
  target_link_libraries(kestro_sqlite INTERFACE SQLite::SQLite3)
  return()
endif()

set(_amalgamation "${KESTRO_SQLITE_FOLDER}")
if(NOT _amalgamation)
  execute_process(COMMAND bash "${PROJECT_SOURCE_DIR}/scripts/fetch-sqlite" OUTPUT_VARIABLE _amalgamation
                  OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE _result)
  if(NOT _result EQUAL 0)
    message(FATAL_ERROR "scripts/fetch-sqlite could not bring the SQLite amalgamation (see above)")
  endif()
endif()
if(NOT EXISTS "${_amalgamation}/sqlite3.c" OR NOT EXISTS "${_amalgamation}/sqlite3.h")
  message(FATAL_ERROR "No sqlite3.c and sqlite3.h in ${_amalgamation}")
endif()
# A new pin reconfigures the build.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${PROJECT_SOURCE_DIR}/scripts/fetch-sqlite")

add_library(kestro_sqlite3 STATIC "${_amalgamation}/sqlite3.c")
target_include_directories(kestro_sqlite3 SYSTEM PUBLIC "${_amalgamation}")
# Connections are never shared between threads (multi-thread mode), nobody
# reads the memory statistics, and the store needs the R-tree and nothing
# loaded at run time.
target_compile_definitions(kestro_sqlite3 PRIVATE
  SQLITE_ENABLE_RTREE=1 SQLITE_THREADSAFE=2 SQLITE_DEFAULT_MEMSTATUS=0 SQLITE_OMIT_LOAD_EXTENSION=1
  SQLITE_OMIT_DEPRECATED=1 SQLITE_OMIT_SHARED_CACHE=1)
# Not our code: its warnings are not ours to fix, and its speed matters more
# than its debug information. It is neither instrumented for the sanitizers
# nor for the fuzzer's coverage (the build's own options are replaced): the
# library is tested by its authors, our calls into it stay checked, and every
# build compiles it in a fraction of the time.
set_property(TARGET kestro_sqlite3 PROPERTY COMPILE_OPTIONS -w -O2 -g0)
find_package(Threads REQUIRED)
target_link_libraries(kestro_sqlite3 PUBLIC Threads::Threads)
if(NOT WIN32)
  target_link_libraries(kestro_sqlite3 PUBLIC m)
endif()

target_include_directories(kestro_sqlite SYSTEM INTERFACE "${_amalgamation}")
if(NOT WIN32)
  find_package(SQLite3 QUIET)
endif()
if(SQLite3_FOUND)
  target_link_libraries(kestro_sqlite INTERFACE
    "$<IF:$<BOOL:$<TARGET_PROPERTY:KESTRO_SYSTEM_SQLITE>>,SQLite::SQLite3,kestro_sqlite3>")
else()
  target_link_libraries(kestro_sqlite INTERFACE kestro_sqlite3)
endif()
