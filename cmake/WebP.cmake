# Where WebP pictures are decoded, chosen here for every build. The Linux
# programs link the system's libwebp (Debian's package, shared, kept up to
# date by the system). The Windows programs, linked statically, compile the
# decoder in from the sources scripts/fetch-webp pins: the same version as
# Debian's, with Debian's patches; so does the browser build, which has no
# system library to link. Without either, KESTRO_WEBP is OFF and WebP
# pictures are refused with a warning saying so.
#
# The code links kestro::webp when KESTRO_WEBP is ON.
if(WIN32 OR EMSCRIPTEN)
  set(_pinned_default ON)
else()
  set(_pinned_default OFF)
endif()
option(KESTRO_PINNED_WEBP "Compile the pinned libwebp decoder in instead of linking the system's" ${_pinned_default})
set(KESTRO_WEBP_FOLDER "" CACHE PATH "Folder holding libwebp's src/ and COPYING (empty: scripts/fetch-webp brings them)")

add_library(kestro_webp INTERFACE)
add_library(kestro::webp ALIAS kestro_webp)
set(KESTRO_WEBP OFF)

if(KESTRO_PINNED_WEBP)
  set(_webp "${KESTRO_WEBP_FOLDER}")
  if(NOT _webp)
    execute_process(COMMAND bash "${PROJECT_SOURCE_DIR}/scripts/fetch-webp" OUTPUT_VARIABLE _webp
                    OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE _result)
    if(NOT _result EQUAL 0)
      message(FATAL_ERROR "scripts/fetch-webp could not bring libwebp's sources (see above)")
    endif()
  endif()
  if(NOT EXISTS "${_webp}/src/webp/decode.h" OR NOT EXISTS "${_webp}/src/dec/webp_dec.c")
    message(FATAL_ERROR "No libwebp decoder sources in ${_webp}")
  endif()
  # A new pin reconfigures the build.
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${PROJECT_SOURCE_DIR}/scripts/fetch-webp")

  # The decoder alone (libwebp's own "libwebpdecoder" set): no encoder, no
  # animation or container editing. The files of other processors compile
  # to nothing here.
  file(GLOB _webp_sources "${_webp}/src/dec/*.c"
       "${_webp}/src/dsp/alpha_processing*.c" "${_webp}/src/dsp/cpu.c" "${_webp}/src/dsp/dec*.c"
       "${_webp}/src/dsp/filters*.c" "${_webp}/src/dsp/lossless*.c" "${_webp}/src/dsp/rescaler*.c"
       "${_webp}/src/dsp/upsampling*.c" "${_webp}/src/dsp/yuv*.c")
  list(FILTER _webp_sources EXCLUDE REGEX "/lossless_enc[^/]*\\.c$")
  foreach(_name bit_reader_utils color_cache_utils filters_utils huffman_utils quant_levels_dec_utils random_utils
                rescaler_utils thread_utils utils)
    list(APPEND _webp_sources "${_webp}/src/utils/${_name}.c")
  endforeach()
  add_library(kestro_webp_decoder STATIC ${_webp_sources})
  # Its own files include each other from the top ("src/dec/..."); users include <webp/decode.h>.
  target_include_directories(kestro_webp_decoder SYSTEM PUBLIC "${_webp}/src" PRIVATE "${_webp}")
  # Not our code, as with SQLite: not our warnings, not instrumented, always
  # optimised. One thread per picture (no WEBP_USE_THREAD), so no thread library.
  set_property(TARGET kestro_webp_decoder PROPERTY COMPILE_OPTIONS -w -O2 -g0)
  if(NOT WIN32)
    target_link_libraries(kestro_webp_decoder PUBLIC m)
  endif()
  target_link_libraries(kestro_webp INTERFACE kestro_webp_decoder)
  set(KESTRO_WEBP ON)
else()
  find_path(KESTRO_WEBP_INCLUDE webp/decode.h)
  find_library(KESTRO_WEBP_LIBRARY NAMES webp)
  if(KESTRO_WEBP_INCLUDE AND KESTRO_WEBP_LIBRARY)
    target_include_directories(kestro_webp SYSTEM INTERFACE ${KESTRO_WEBP_INCLUDE})
    target_link_libraries(kestro_webp INTERFACE ${KESTRO_WEBP_LIBRARY})
    set(KESTRO_WEBP ON)
  endif()
endif()
