# The Windows build: one static program without DLLs beside it (SQLite is
# compiled in from its amalgamation, as on every system: cmake/SQLite.cmake).
# The program talks to the system in UTF-16 (the W functions), Windows 7 and later.
# The C99 printf family everywhere: "%zu", "%lld" and numbers formatted as on other systems.
add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 _USE_MATH_DEFINES
                        __USE_MINGW_ANSI_STDIO=1)
# No libgcc, libstdc++ or winpthread DLL beside the program.
add_link_options(-static)
