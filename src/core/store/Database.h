#pragma once
#include <QSqlDatabase>
#include <QString>

// The local SQLite connection to kolvarn.db3. Opened read-write and never created: a missing
// file fails to open. Each Database has its own Qt connection name, so tests can hold many.
class Database {
public:
    Database();
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // Opens the file; throws KVError with SQLite's text on failure.
    void Open(const QString& path);
    void Close();
    bool IsOpen() const;
    const QString& path() const { return m_path; }

    QSqlDatabase& connection() { return m_db; }
    // Throws KVError("<what>: database is not open") when closed; every store operation calls it.
    void RequireOpen(const char* what) const;

    // Runs fn inside one transaction: committed when fn returns, rolled back when it throws.
    template <class F> void InTransaction(F&& fn);

private:
    void begin();
    void commit();
    void rollback();
    QSqlDatabase m_db;
    QString m_name;
    QString m_path;
};

template <class F> void Database::InTransaction(F&& fn)
{
    begin();
    try {
        fn();
    } catch (...) {
        rollback();
        throw;
    }
    commit();
}
