#include "store/SQLiteTransaction.h"

#include "store/SQLiteDatabase.h"

namespace kestro {

TSQLiteTransaction::TSQLiteTransaction(TSQLiteDatabase& database) : database_(database) {
    database_.StartTransaction();
}

TSQLiteTransaction::~TSQLiteTransaction() {
    if (!open_) return;
    try {
        database_.Execute("ROLLBACK");
    } catch (...) {
        // The error that left the scope is the one to report; SQLite may
        // already have ended the transaction itself.
    }
}

void TSQLiteTransaction::Commit() {
    database_.CommitTransaction();
    open_ = false;
}

}  // namespace kestro
