#pragma once
// A transaction that ends with its scope: committed by Commit(), rolled
// back by the destructor when the scope is left without one (an error on
// its way), so no path leaves the store inside an open transaction.
namespace kestro {

class TSQLiteDatabase;

class TSQLiteTransaction {
public:
    explicit TSQLiteTransaction(TSQLiteDatabase& database);  // "BEGIN"
    ~TSQLiteTransaction();                                    // "ROLLBACK" unless committed
    TSQLiteTransaction(const TSQLiteTransaction&) = delete;
    TSQLiteTransaction& operator=(const TSQLiteTransaction&) = delete;

    void Commit();  // "COMMIT"

private:
    TSQLiteDatabase& database_;
    bool open_ = true;
};

}  // namespace kestro
