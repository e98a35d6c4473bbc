#pragma once
// Private to the Table cursor: the statements it prepares and the windows of rows it caches.
#include "Table.h"

#include <QHash>
#include <QSqlQuery>
#include <QVariantList>
#include <map>
#include <memory>
#include <vector>

// A SQL null: an invalid variant, or a null text or byte array (Qt binds those as NULL too).
bool IsSqlNull(const QVariant& v);
// Equal as SQLite stores them: both null, or the same kind and value.
bool SameStoredValue(const QVariant& a, const QVariant& b);
// A name as it stands in SQL text, in double quotes. Callers' names are checked with
// Table::IsValidIdentifier first; names the database itself reports may hold anything.
QString QuotedName(const QString& name);

class OrderIndex;
struct SharedTableState;
struct sqlite3;
struct sqlite3_stmt;

struct Table::Row {
    qint64 rowid = -1;
    QVector<QVariant> values;
    // Only the sort key and the keys of the order indexes were read (a row just posted): the
    // other values are read when first asked for.
    bool partial = false;
};

struct Table::Impl {
    // A run of consecutive rows in the current order, starting at a known position.
    struct Window {
        int start = 0;
        QVector<Row> rows;
        quint64 used = 0;
        int end() const { return start + int(rows.size()); }
    };

    // Rows fetched per window and windows kept; sized so a wide ticket table stays small.
    static constexpr int WindowRows = 64;
    static constexpr int MaxWindows = 8;

    Impl(Database& db, const QString& table) : db(db), table(table) {}

    Database& db;
    const QString& table;
    // Shared with the other cursors over the table: its row count and order indexes. Set when
    // the cursor opens; owned by the database.
    SharedTableState* shared = nullptr;
    QStringList columns;
    QHash<QString, int> index; // lower-case name -> column
    QHash<QString, int> exact; // name as the table spells it -> column
    int sortIndex = -1;        // -1: order by rowid

    // SQL pieces rebuilt when the columns or the sort column change.
    QString from, select, orderAsc, orderDesc, key;

    std::map<QString, std::unique_ptr<QSqlQuery>> statements;
    // The inserts and updates of posted rows, straight on SQLite's connection: binding a row's
    // values through Qt costs more than storing them.
    struct Finalize {
        void operator()(sqlite3_stmt* st) const;
    };
    std::map<QString, std::unique_ptr<sqlite3_stmt, Finalize>> writes;
    // Statement texts that cost more to build than to run: the locate of each column, and the
    // insert and update of the last set of columns written.
    QHash<int, QString> locateSql;
    QVector<bool> insertColumns, updateColumns;
    QString insertSql, updateSql;

    Row current;          // rowid -1: there is no current row
    QVariant currentKey;  // sort key of the current row (its rowid without a sort column)
    int position = -1;    // of the current row; -1 until asked for
    std::vector<Window> windows;
    quint64 clock = 0;

    // The row being edited or inserted.
    QVector<QVariant> buffer;
    QVector<bool> assigned;
    // The current row before Append, restored by Cancel.
    Row saved;
    int savedPosition = -1;

    void loadColumns();
    void setSort(int column);
    void rebuildSql();
    void forgetRows();

    QSqlQuery& prepared(const QString& sql);
    // Forgets every prepared statement (the columns changed, the cursor closes).
    void dropStatements();
    // Runs an insert or update with its values bound as Qt's SQLite driver binds them; returns
    // the rows it changed and, for an insert, sets *rowid to the new row's.
    int write(const QString& sql, const QVariantList& binds, qint64* rowid);
    void run(QSqlQuery& q, const QVariantList& binds);
    QVector<Row> fetch(const QString& sql, const QVariantList& binds);
    // The first column of the first row; none when there is no row.
    qint64 scalar(const QString& sql, const QVariantList& binds, qint64 none = 0);
    [[noreturn]] void fail(const QSqlQuery& q) const;

    QVariant keyOf(const Row& r) const { return sortIndex < 0 ? QVariant(r.rowid) : r.values[sortIndex]; }
    // The key under which the order index holds a row: the sort key, nothing in rowid order.
    QVariant orderKey(const QVariant& key) const { return sortIndex < 0 ? QVariant() : key; }
    bool readRow(qint64 rowid, Row& out);
    // The row as far as the cursors need it at once: its sort key and the keys of the order
    // indexes; nothing is read when there are none.
    void readKeys(qint64 rowid, Row& out);
    // Reads the rest of a partial current row.
    void completeCurrent();
    bool firstRow(Row& out);
    bool lastRow(Row& out);
    // Up to n rows after / before the row (key, rowid) in the current order, ascending.
    QVector<Row> after(const QVariant& key, qint64 rowid, int n);
    QVector<Row> before(const QVariant& key, qint64 rowid, int n);
    bool nearest(const QString& text, Row& out);
    // The rows in the table, counted once and then kept by every cursor's changes.
    int rowCount();
    int knownCount() const; // -1 while not yet counted

    // The SQLite connection under the Qt driver; null when the driver is no SQLite one.
    sqlite3* rawHandle() const;
    // The order index of the current sort, when one was built (by any cursor over the table).
    OrderIndex* order() const;
    // The same, built from one pass over the sort index when there is none yet.
    OrderIndex& requireOrder();
    // The order index of a column (-1: the rowid order), built when there is none yet.
    OrderIndex& requireOrder(int column);
    // Position of the row (key, rowid) in the current order, without counting rows.
    int positionOf(const QVariant& key, qint64 rowid);
    // Whether any row comes before (key, rowid); reads rowids only.
    bool anyBefore(const QVariant& key, qint64 rowid);
    // A row was inserted (before null), changed or deleted (after null) through this cursor:
    // the shared count and every order index of the table follow.
    void noteChange(qint64 rowid, const Row* before, const Row* after);

    // The row at a position through the window cache; nullptr past the end. The pointer is
    // good until the next call.
    const Row* rowAt(int pos);
    const Row* cached(int pos);
    void addWindow(int start, QVector<Row> rows, bool reachedEnd);
    // Up to n rows from position start on, found through the order index.
    QVector<Row> rowsFrom(int start, int n);
};
