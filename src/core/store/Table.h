#pragma once
#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <functional>
#include <memory>

class Database;

// A cursor over one table: a sort key that can change at run time, a current row, navigation,
// locate, nearest-key search, edit/append/post/cancel/delete, typed column access and three
// row events. It reads rows through indexed queries with bound parameters and never copies the
// whole table into memory: rows are fetched in small windows around the positions asked for.
// Every failure throws KVError with a clear text.
//
// Rows are ordered by the sort column, then by rowid, so the order is total and stable; a null
// key sorts first. Without a sort column the order is by rowid. A row position is 0-based.
// Keys compare as SQLite compares the column (binary text, numbers as numbers).
//
// Like the dataset it stands in for, moving, locating, re-sorting or starting a new row while
// a row is being edited first posts that row when it was modified, and cancels it otherwise.
class Table : public QObject {
    Q_OBJECT
public:
    enum class State { Inactive, Browse, Edit, Insert };

    Table(Database& db, QString tableName, QString sortColumn = {}, QObject* parent = nullptr);
    ~Table() override;

    const QString& tableName() const { return m_table; }
    void SetTableName(const QString& name); // only while closed (HulpTable)

    void Open();   // throws when the table or the sort column does not exist; first row current
    void Close();
    bool IsOpen() const;
    State state() const { return m_state; }
    // Re-reads the columns and the current row and forgets every cached row (after another
    // program or a statement changed the table).
    void Refresh();

    // ---- order ----
    void SetSortColumn(const QString& column); // empty: by rowid. Keeps the current row current.
    const QString& SortColumn() const { return m_sort; }

    // Learns the order of the rows under this column (empty: by rowid) ahead of need, so that a
    // later sort by it, or a search in it, finds it known: one pass over the column's index.
    void PrepareOrder(const QString& column);

    // ---- navigation ----
    int RecordCount() const;
    // Position of the current row, -1 when the table is empty. Known from the move that made the
    // row current, else looked up in an order index of the sort (built once per table and sort
    // by one pass over the sort index, then kept by every post and delete): no rows are counted.
    int RecNo() const;
    bool IsEmpty() const { return RecordCount() == 0; }
    void First();
    void Last();
    void Next();                // past the last row sets Eof; the last row stays current
    void Prior();               // before the first row sets Bof
    void MoveTo(int position);  // clamps into range
    bool Eof() const { return m_eof; }
    bool Bof() const { return m_bof; }
    qint64 CurrentRowId() const { return m_rowid; }
    // Makes the row with this rowid current; false (current row kept) when there is none.
    bool GotoRowId(qint64 rowid);

    // Makes the first row (in sort order) whose column equals value current. Returns false and
    // leaves the current row when there is none. Text compares case-sensitively.
    bool Locate(const QString& column, const QVariant& value);
    // Makes current the first row whose sort key is >= text, else the last row. An empty text
    // makes the first row current.
    void FindNearest(const QString& text);

    // ---- reading by position, for lazy item models; does not move the current row ----
    // The stored value (null when the position is out of range). Neighbouring positions come
    // from the same cached window, so asking row after row costs one query per window.
    QVariant ValueAt(int position, int column) const;
    QVariant ValueAt(int position, const QString& column) const;
    qint64 RowIdAt(int position) const; // -1 when out of range

    // Calls fn for every row with the values of the given columns, in storage (rowid) order:
    // one sequential pass, the quickest way through a whole table; no row is cached. fn must
    // not change the table (collect rowids, then edit).
    void Scan(const QStringList& columns, const std::function<void(qint64 rowid, const QVector<QVariant>& values)>& fn) const;

    // ---- changes ----
    void Edit();     // AfterEdit runs once the row is in edit state. On an empty table: Append.
    void Append();   // a new row, OnNewRecord runs
    void Insert();   // same as Append for SQLite
    void Post();     // writes the row, AfterPost runs; the posted row stays current
    void Cancel();
    void Delete();   // the following row becomes current (or the new last one)
    bool Modified() const { return m_modified; }

    // ---- columns of the current row (or of the row being edited) ----
    QStringList Columns() const;
    bool HasColumn(const QString& column) const; // without regard to case
    int ColumnIndex(const QString& column) const; // -1 when there is none
    QVariant Value(const QString& column) const;
    bool IsNull(const QString& column) const;
    // A null reads as empty text, 0 or false; a text that is no number fails as integer/float.
    QString AsString(const QString& column) const;
    qint64 AsInteger(const QString& column) const;
    double AsFloat(const QString& column) const;
    bool AsBoolean(const QString& column) const;
    QByteArray AsBytes(const QString& column) const;

    void SetValue(const QString& column, const QVariant& value); // needs Edit or Insert
    // The same for a column as ColumnIndex found it, for a caller that writes many rows.
    void SetValueAt(int column, const QVariant& value);
    void SetString(const QString& column, const QString& v) { SetValue(column, v); }
    void SetInteger(const QString& column, qint64 v) { SetValue(column, v); }
    void SetFloat(const QString& column, double v) { SetValue(column, v); }
    void SetBoolean(const QString& column, bool v) { SetValue(column, v ? 1 : 0); }
    void SetBytes(const QString& column, const QByteArray& v) { SetValue(column, v); }
    void SetNull(const QString& column) { SetValue(column, QVariant()); }

    // Runs one statement on the connection (the auxiliary cursor's SQL text). Table names in
    // such text are only ever fixed names; values never appear in it. Needs the database, not
    // this cursor, to be open. Every cursor re-reads afterwards.
    void ExecSQL(const QString& sql);

    // Only letters, digits and '_': the names that may appear in SQL text.
    static bool IsValidIdentifier(const QString& name);

    // ---- row events ----
    std::function<void(Table&)> OnNewRecord;
    std::function<void(Table&)> AfterEdit;
    std::function<void(Table&)> AfterPost;

signals:
    // The rows changed (post, delete, re-sort, a change through another cursor) or the current
    // row moved; grids follow. Changes and moves inside a transaction are reported once, by
    // RowsChanged when it is committed.
    void RowsChanged();
    void CurrentChanged(int position);

private:
    friend class Database;
    struct Impl;
    struct Row;
    void requireOpen(const char* what) const;
    void checkBrowseMode();
    int columnOrThrow(const QString& column) const;
    const QVariant& cell(int index) const;
    void setCurrent(const Row& row, int position);
    void clearCurrent();
    void reread();
    void moved();
    // RowsChanged now, or when the transaction under way is committed.
    void report();
    // Another cursor over this table posted or deleted the row with this rowid.
    void rowChangedElsewhere(qint64 rowid);
    // A statement or a rollback may have changed anything.
    void everythingChangedElsewhere();

    std::unique_ptr<Impl> d;
    Database& m_db;
    QString m_table;
    QString m_sort;
    State m_state = State::Inactive;
    qint64 m_rowid = -1;
    bool m_eof = true;
    bool m_bof = true;
    bool m_modified = false;
};
