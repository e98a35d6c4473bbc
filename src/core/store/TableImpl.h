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

struct Table::Row {
    qint64 rowid = -1;
    QVector<QVariant> values;
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
    QStringList columns;
    QHash<QString, int> index; // lower-case name -> column
    int sortIndex = -1;        // -1: order by rowid

    // SQL pieces rebuilt when the columns or the sort column change.
    QString from, select, orderAsc, orderDesc, key;

    std::map<QString, std::unique_ptr<QSqlQuery>> statements;

    Row current;          // rowid -1: there is no current row
    QVariant currentKey;  // sort key of the current row (its rowid without a sort column)
    int position = -1;    // of the current row; -1 until asked for
    int count = -1;       // rows in the table; -1 until asked for
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
    void run(QSqlQuery& q, const QVariantList& binds);
    QVector<Row> fetch(const QString& sql, const QVariantList& binds);
    qint64 scalar(const QString& sql, const QVariantList& binds);
    [[noreturn]] void fail(const QSqlQuery& q) const;

    QVariant keyOf(const Row& r) const { return sortIndex < 0 ? QVariant(r.rowid) : r.values[sortIndex]; }
    bool readRow(qint64 rowid, Row& out);
    bool firstRow(Row& out);
    bool lastRow(Row& out);
    // Up to n rows after / before the row (key, rowid) in the current order, ascending.
    QVector<Row> after(const QVariant& key, qint64 rowid, int n);
    QVector<Row> before(const QVariant& key, qint64 rowid, int n);
    int countBefore(const QVariant& key, qint64 rowid);
    bool nearest(const QString& text, Row& out);
    int rowCount();

    // The row at a position through the window cache; nullptr past the end. The pointer is
    // good until the next call.
    const Row* rowAt(int pos);
    const Row* cached(int pos);
    void addWindow(int start, QVector<Row> rows, bool reachedEnd);
    void replaceCached(const Row& row);
};
