# The zip reader KMZ files are read with: minizip's unzip (zlib licence) over
# zlib, as kestro::zip; KESTRO_ZIP_FOUND says whether the build has one.
#
# KESTRO_MINIZIP_FOLDER, a folder holding minizip's unzip.c, ioapi.c and
# their headers from a source pinned by version and checksum, compiles those
# in against the platform's zlib: the way for builds without a system minizip
# (Windows, the browser). Without it the system's minizip is linked where
# pkg-config finds it (Debian: libminizip-dev); a build with neither reads no
# KMZ file and says so. The browser has no zlib either: it compiles zlib's
# inflate in from the sources scripts/fetch-zlib pins (KESTRO_ZLIB_FOLDER).
set(KESTRO_MINIZIP_FOLDER "" CACHE PATH
    "Folder holding minizip's unzip.c and ioapi.c (empty: the system's minizip; on Windows and in the browser scripts/fetch-minizip brings them)")
set(KESTRO_ZLIB_FOLDER "" CACHE PATH
    "Folder holding zlib's sources for the browser build (empty: scripts/fetch-zlib brings them)")

add_library(kestro_zip INTERFACE)
add_library(kestro::zip ALIAS kestro_zip)
set(KESTRO_ZIP_FOUND OFF)
# Builds that link everything statically take zlib's static library (on
# Windows Debian's libz-mingw-w64-dev), never its import library.
if(WIN32)
  set(ZLIB_USE_STATIC_LIBS ON)
endif()
if(EMSCRIPTEN)
  if(NOT KESTRO_ZLIB_FOLDER)
    execute_process(COMMAND bash "${PROJECT_SOURCE_DIR}/scripts/fetch-zlib" OUTPUT_VARIABLE _zlib
                    OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE _result)
    if(NOT _result EQUAL 0)
      message(FATAL_ERROR "scripts/fetch-zlib could not bring zlib's sources (see above)")
    endif()
    set(KESTRO_ZLIB_FOLDER "${_zlib}" CACHE PATH "" FORCE)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${PROJECT_SOURCE_DIR}/scripts/fetch-zlib")
  endif()
  # Only what unzipping needs: inflate and its checksums.
  add_library(kestro_zlib STATIC)
  foreach(_name adler32 crc32 inffast inflate inftrees zutil)
    target_sources(kestro_zlib PRIVATE "${KESTRO_ZLIB_FOLDER}/${_name}.c")
  endforeach()
  target_include_directories(kestro_zlib SYSTEM PUBLIC "${KESTRO_ZLIB_FOLDER}")
  # Not our code, as with SQLite: not our warnings, always optimised.
  set_property(TARGET kestro_zlib PROPERTY COMPILE_OPTIONS -w -O2 -g0)
  add_library(ZLIB::ZLIB ALIAS kestro_zlib)
  set(ZLIB_FOUND ON)
else()
  find_package(ZLIB QUIET)
endif()
if((WIN32 OR EMSCRIPTEN) AND NOT KESTRO_MINIZIP_FOLDER)
  execute_process(COMMAND bash "${PROJECT_SOURCE_DIR}/scripts/fetch-minizip" OUTPUT_VARIABLE _minizip
                  OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE _result)
  if(NOT _result EQUAL 0)
    message(FATAL_ERROR "scripts/fetch-minizip could not bring minizip's sources (see above)")
  endif()
  set(KESTRO_MINIZIP_FOLDER "${_minizip}" CACHE PATH "" FORCE)
  # A new pin reconfigures the build.
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${PROJECT_SOURCE_DIR}/scripts/fetch-minizip")
endif()
if(KESTRO_MINIZIP_FOLDER AND ZLIB_FOUND)
  add_library(kestro_minizip STATIC "${KESTRO_MINIZIP_FOLDER}/unzip.c" "${KESTRO_MINIZIP_FOLDER}/ioapi.c")
  target_include_directories(kestro_minizip SYSTEM PUBLIC "${KESTRO_MINIZIP_FOLDER}")
  target_link_libraries(kestro_minizip PUBLIC ZLIB::ZLIB)
  # Not our code: its warnings are not ours to fix.
  set_property(TARGET kestro_minizip PROPERTY COMPILE_OPTIONS -w)
  target_compile_definitions(kestro_minizip PRIVATE NOCRYPT NOUNCRYPT)
  target_link_libraries(kestro_zip INTERFACE kestro_minizip)
  set(KESTRO_ZIP_FOUND ON)
else()
  find_package(PkgConfig QUIET)
  if(PkgConfig_FOUND AND ZLIB_FOUND)
    pkg_check_modules(KESTRO_SYSTEM_MINIZIP QUIET IMPORTED_TARGET minizip)
    if(KESTRO_SYSTEM_MINIZIP_FOUND)
      target_link_libraries(kestro_zip INTERFACE PkgConfig::KESTRO_SYSTEM_MINIZIP ZLIB::ZLIB)
      set(KESTRO_ZIP_FOUND ON)
    endif()
  endif()
endif()
