# The browser build: SQLite compiled in from the same pinned amalgamation as
# the Windows build (scripts/fetch-sqlite-windows brings it), C++ exceptions
# on, and the WebAssembly module embedded in its loader, since a page opened
# from disk may not fetch a second file. No threads: the page has no shared
# memory.
set(KESTRO_SQLITE_AMALGAMATION "${PROJECT_BINARY_DIR}/sqlite" CACHE PATH
    "Folder holding sqlite3.c and sqlite3.h for the browser build")
if(NOT EXISTS "${KESTRO_SQLITE_AMALGAMATION}/sqlite3.c")
  message(FATAL_ERROR "No sqlite3.c in ${KESTRO_SQLITE_AMALGAMATION}: run scripts/fetch-sqlite-windows first")
endif()
add_library(kestro_sqlite3 STATIC "${KESTRO_SQLITE_AMALGAMATION}/sqlite3.c")
# The header alone in the include path: the fetched folder's file "version"
# would stand in for the C++ header <version>.
file(COPY "${KESTRO_SQLITE_AMALGAMATION}/sqlite3.h" DESTINATION "${PROJECT_BINARY_DIR}/sqlite-include")
target_include_directories(kestro_sqlite3 SYSTEM PUBLIC "${PROJECT_BINARY_DIR}/sqlite-include")
target_compile_definitions(kestro_sqlite3 PRIVATE SQLITE_ENABLE_RTREE=1 SQLITE_THREADSAFE=0 SQLITE_OMIT_LOAD_EXTENSION=1)
target_compile_options(kestro_sqlite3 PRIVATE -w -O2 -g0)
add_library(SQLite::SQLite3 ALIAS kestro_sqlite3)

add_compile_options(-fexceptions)
# The programs run under Node.js with the machine's files (NODERAWFS), which
# is how this build is checked until the page has its own file side.
add_link_options(-fexceptions -sALLOW_MEMORY_GROWTH=1 -sSINGLE_FILE=1 -sNODERAWFS=1 -sEXIT_RUNTIME=1)
