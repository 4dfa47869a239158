#include "store/SQLiteLibrary.h"

#include <sqlite3.h>

#include "store/SQLiteDatabase.h"

namespace kestro {

namespace {

int LiveGuards = 0;

void CheckRtreeModule() {
    try {
        TSQLiteDatabase probe(":memory:");
        probe.Execute("CREATE VIRTUAL TABLE rtree_probe USING rtree(key, minX, maxX)");
    } catch (const ESQLiteException& error) {
        throw ESQLiteException(std::string("The SQLite library (") + sqlite3_libversion() +
                               ") lacks the R-tree module that the point store needs; "
                               "install an SQLite built with R-tree support\r\n" +
                               error.what());
    }
}

}  // namespace

TSQLiteLibrary::TSQLiteLibrary() {
    if (LiveGuards == 0) {
        // No connection is ever used by two threads at once, and no one reads
        // the memory statistics: both settings only save a lock per call.
        // They are refused once the library runs, which changes nothing.
        sqlite3_config(SQLITE_CONFIG_MULTITHREAD);
        sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
        sqlite3_initialize();  // its result is of no use: a failure shows at the first open
    }
    ++LiveGuards;
    try {
        CheckRtreeModule();
    } catch (...) {
        if (--LiveGuards == 0) sqlite3_shutdown();
        throw;
    }
}

TSQLiteLibrary::~TSQLiteLibrary() {
    if (--LiveGuards == 0) sqlite3_shutdown();
}

}  // namespace kestro
