# Building for the browser with Debian's Emscripten (emcc on the PATH): its
# own platform file, found beside the real emcc.
find_program(KESTRO_EMCC emcc REQUIRED)
get_filename_component(_emcc_real "${KESTRO_EMCC}" REALPATH)
get_filename_component(_emscripten_root "${_emcc_real}" DIRECTORY)
include("${_emscripten_root}/cmake/Modules/Platform/Emscripten.cmake")
