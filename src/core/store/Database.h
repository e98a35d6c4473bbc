#pragma once
#include <QSqlDatabase>
#include <QString>
#include <map>
#include <memory>
#include <vector>

class Table;
struct SharedTableState;

// The local SQLite connection to kolvarn.db3. Opened read-write and never created: a missing
// file fails to open. Each Database has its own Qt connection name, so tests can hold many.
//
// The cursors over the connection register themselves here: closing the connection closes
// them, and a change made through one cursor (or a statement, or a rollback) tells the other
// cursors to drop what they have cached. The cursors over one table share its row count and
// order indexes, kept here. A Table must not outlive its Database.
class Database {
public:
    Database();
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // Opens the file and checks that it is a database; throws KVError with SQLite's text on
    // failure and leaves the connection closed.
    void Open(const QString& path);
    // Closes every cursor over the connection, then the connection.
    void Close();
    bool IsOpen() const;
    const QString& path() const { return m_path; }

    QSqlDatabase& connection() { return m_db; }
    // Throws KVError("<what>: database is not open") when closed; every store operation calls it.
    void RequireOpen(const char* what) const;
    void RequireOpen(const QString& what) const;

    // Runs fn inside one transaction: committed when fn returns, rolled back when it throws.
    // A call inside another one joins the outer transaction.
    template <class F> void InTransaction(F&& fn);
    bool InTransaction() const { return m_depth > 0; }

private:
    friend class Table;
    void attach(Table* t);
    void detach(Table* t);
    SharedTableState& sharedState(const QString& table);
    bool anotherCursorOpen(const Table* t) const;
    // The row with this rowid was posted or deleted through source: every other cursor over
    // the table forgets its cached rows and positions.
    void rowChanged(const QString& table, const Table* source, qint64 rowid);
    // Anything may have changed (a statement, a rollback): every cursor re-reads.
    void everythingChanged(const Table* source);
    // t reports RowsChanged once the outermost transaction is committed.
    void reportLater(Table* t);
    void reportPending();

    void begin();
    void commit();
    void rollback();
    QSqlDatabase m_db;
    QString m_name;
    QString m_path;
    int m_depth = 0;
    std::vector<Table*> m_tables;
    std::vector<Table*> m_pendingReports;
    std::map<QString, std::unique_ptr<SharedTableState>> m_shared; // by lower-case table name
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
