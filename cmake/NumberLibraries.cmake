# fast_float reads decimal numbers and fmt writes their shortest texts; both
# are used from their headers alone (Debian's libfast-float-dev and
# libfmt-dev). A cross build takes the same headers: copied into the build
# folder, so that the target's include path gets these two folders and not the
# build machine's whole /usr/include.
find_path(KESTRO_FAST_FLOAT_INCLUDE fast_float/fast_float.h PATHS /usr/include NO_CMAKE_FIND_ROOT_PATH)
find_path(KESTRO_FMT_INCLUDE fmt/format.h PATHS /usr/include NO_CMAKE_FIND_ROOT_PATH)
if(NOT KESTRO_FAST_FLOAT_INCLUDE OR NOT KESTRO_FMT_INCLUDE)
  message(FATAL_ERROR "fast_float and fmt headers are needed (Debian: libfast-float-dev libfmt-dev; scripts/bootstrap installs them)")
endif()
add_library(kestro_number_headers INTERFACE)
if(CMAKE_CROSSCOMPILING)
  set(_number_headers ${PROJECT_BINARY_DIR}/number-headers)
  file(COPY ${KESTRO_FAST_FLOAT_INCLUDE}/fast_float ${KESTRO_FMT_INCLUDE}/fmt DESTINATION ${_number_headers})
  target_include_directories(kestro_number_headers SYSTEM INTERFACE ${_number_headers})
else()
  target_include_directories(kestro_number_headers SYSTEM INTERFACE ${KESTRO_FAST_FLOAT_INCLUDE} ${KESTRO_FMT_INCLUDE})
endif()
