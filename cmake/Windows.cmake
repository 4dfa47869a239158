# The Windows build: one static program without DLLs beside it, SQLite
# compiled in from its amalgamation (scripts/fetch-sqlite-windows brings it).
set(KESTRO_SQLITE_AMALGAMATION "${PROJECT_SOURCE_DIR}/build-win/sqlite" CACHE PATH
    "Folder holding sqlite3.c and sqlite3.h for the Windows build")
if(NOT EXISTS "${KESTRO_SQLITE_AMALGAMATION}/sqlite3.c")
  message(FATAL_ERROR "No sqlite3.c in ${KESTRO_SQLITE_AMALGAMATION}: run scripts/fetch-sqlite-windows first")
endif()
add_library(kestro_sqlite3 STATIC "${KESTRO_SQLITE_AMALGAMATION}/sqlite3.c")
target_include_directories(kestro_sqlite3 SYSTEM PUBLIC "${KESTRO_SQLITE_AMALGAMATION}")
target_compile_definitions(kestro_sqlite3 PRIVATE SQLITE_ENABLE_RTREE=1 SQLITE_THREADSAFE=1 SQLITE_OMIT_LOAD_EXTENSION=1)
# Not our code: its warnings are not ours to fix, and its speed matters more than its debug information.
target_compile_options(kestro_sqlite3 PRIVATE -w -O2 -g0)
add_library(SQLite::SQLite3 ALIAS kestro_sqlite3)

# The program talks to the system in UTF-16 (the W functions), Windows 7 and later.
# The C99 printf family everywhere: "%zu", "%lld" and numbers formatted as on other systems.
add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 _USE_MATH_DEFINES
                        __USE_MINGW_ANSI_STDIO=1)
# No libgcc, libstdc++ or winpthread DLL beside the program.
add_link_options(-static)
