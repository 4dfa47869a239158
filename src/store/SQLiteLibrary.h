#pragma once
// The SQLite library's life in this process: initialised when the first
// guard is made, shut down when the last one goes, after every connection
// is closed. Making the guard also checks that the library carries the
// R-tree module the point store needs.
namespace kestro {

class TSQLiteLibrary {
public:
    TSQLiteLibrary();  // raises ESQLiteException when the R-tree module is missing
    ~TSQLiteLibrary();
    TSQLiteLibrary(const TSQLiteLibrary&) = delete;
    TSQLiteLibrary& operator=(const TSQLiteLibrary&) = delete;
};

}  // namespace kestro
