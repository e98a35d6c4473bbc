#pragma once
#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>

class Database;

// A cursor over one table: a sort key that can change at run time, a current row, navigation,
// locate, nearest-key search, edit/append/post/cancel/delete, typed column access and three
// row events. It reads rows through indexed queries with bound parameters and never copies the
// whole table into memory. Every failure throws KVError with a clear text.
//
// Rows are ordered by the sort column, then by rowid, so the order is total and stable.
// A row position is 0-based.
class Table : public QObject {
    Q_OBJECT
public:
    enum class State { Inactive, Browse, Edit, Insert };

    Table(Database& db, QString tableName, QString sortColumn = {}, QObject* parent = nullptr);
    ~Table() override;

    const QString& tableName() const { return m_table; }
    void SetTableName(const QString& name); // only while closed (HulpTable)

    void Open();   // throws when the table does not exist
    void Close();
    bool IsOpen() const;
    State state() const { return m_state; }

    // ---- order ----
    void SetSortColumn(const QString& column); // keeps the current row current
    const QString& SortColumn() const { return m_sort; }

    // ---- navigation ----
    int RecordCount() const;
    int RecNo() const;          // position of the current row, -1 when the table is empty
    bool IsEmpty() const { return RecordCount() == 0; }
    void First();
    void Last();
    void Next();                // past the last row sets Eof
    void Prior();
    void MoveTo(int position);  // clamps into range
    bool Eof() const { return m_eof; }
    bool Bof() const { return m_bof; }
    qint64 CurrentRowId() const { return m_rowid; }

    // Makes the first row (in sort order) whose column equals value current. Returns false and
    // leaves the current row when there is none. Text compares case-sensitively.
    bool Locate(const QString& column, const QVariant& value);
    // Makes current the first row whose sort key is >= text, else the last row.
    void FindNearest(const QString& text);

    // ---- changes ----
    void Edit();
    void Append();   // a new row, OnNewRecord runs
    void Insert();   // same as Append for SQLite
    void Post();     // writes the row, AfterPost runs; the posted row stays current
    void Cancel();
    void Delete();   // the following row becomes current (or the new last one)

    // ---- columns of the current row (or of the row being edited) ----
    QStringList Columns() const;
    bool HasColumn(const QString& column) const; // without regard to case
    QVariant Value(const QString& column) const;
    bool IsNull(const QString& column) const;
    QString AsString(const QString& column) const;
    qint64 AsInteger(const QString& column) const;
    double AsFloat(const QString& column) const;
    bool AsBoolean(const QString& column) const;
    QByteArray AsBytes(const QString& column) const;

    void SetValue(const QString& column, const QVariant& value); // needs Edit or Insert
    void SetString(const QString& column, const QString& v) { SetValue(column, v); }
    void SetInteger(const QString& column, qint64 v) { SetValue(column, v); }
    void SetFloat(const QString& column, double v) { SetValue(column, v); }
    void SetBoolean(const QString& column, bool v) { SetValue(column, v ? 1 : 0); }
    void SetBytes(const QString& column, const QByteArray& v) { SetValue(column, v); }
    void SetNull(const QString& column) { SetValue(column, QVariant()); }

    // Runs one statement on the connection (the auxiliary cursor's SQL text). Table names in
    // such text are only ever fixed names.
    void ExecSQL(const QString& sql);

    // ---- row events ----
    std::function<void(Table&)> OnNewRecord;
    std::function<void(Table&)> AfterEdit;
    std::function<void(Table&)> AfterPost;

signals:
    // The rows changed (post, delete, re-sort) or the current row moved; grids follow.
    void RowsChanged();
    void CurrentChanged(int position);

private:
    struct Impl;
    std::unique_ptr<Impl> d;
    Database& m_db;
    QString m_table;
    QString m_sort;
    State m_state = State::Inactive;
    qint64 m_rowid = -1;
    bool m_eof = true;
    bool m_bof = true;
};
