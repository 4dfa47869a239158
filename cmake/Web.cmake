# The browser build: SQLite compiled in from the same pinned amalgamation as
# every build (cmake/SQLite.cmake), C++ exceptions on, and the WebAssembly module embedded in its loader, since a page opened
# from disk may not fetch a second file. No threads: the page has no shared
# memory.

add_compile_options(-fexceptions)
# Every run ends the module (the page makes a new one per run), so that
# what the program printed last is flushed. src/web makes the page.
add_link_options(-fexceptions -sALLOW_MEMORY_GROWTH=1 -sSINGLE_FILE=1 -sEXIT_RUNTIME=1)
