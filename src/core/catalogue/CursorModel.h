#pragma once
#include <QAbstractTableModel>
#include <QList>
#include <QPointer>
#include <QString>
#include <functional>

class Database;
class KVJargon;
class Table;
struct Seams;

// One column of a catalogue grid: the table column it shows, its header caption (a caption
// name and its Dutch design text), its design width and the sort key a click on its header
// selects (empty: the click changes nothing).
struct GridColumn {
    QString field;
    QString captionName;
    QString header;
    int width = 100;
    QString sortKey;
};

// A read-only grid model over one of the shared table cursors. Rows are the cursor's rows in
// its current order; only the rows a view asks for are read, through the cursor's positional
// access, so a large table is never copied into memory. The model follows the cursor: a
// change of rows resets it and a move of the current row is reported by CurrentRowChanged.
class CursorModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // With db, a block of deletions runs as one transaction: all of it is stored, or nothing.
    CursorModel(Table& table, QList<GridColumn> columns, KVJargon& jargon, Database* db = nullptr,
                QObject* parent = nullptr);

    Table& table() const { return m_table; }
    const QList<GridColumn>& gridColumns() const { return m_columns; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // The cursor's current row, -1 on an empty or closed table.
    int CurrentRow() const;
    // Makes row current (the grid's selection moved).
    void SetCurrentRow(int row);

    // A click on a header cell: the column's sort key becomes the cursor's order, ascending.
    void HeaderClick(int section);
    // Learns ahead of need the orders the header clicks lead to and the current one, so that
    // neither a click nor the first keystroke of a search waits for a pass over the table.
    void PrepareOrders();
    // Nearest match under the current sort key: the first row whose key is equal to or greater
    // than text, else the last row; an empty text goes to the first row. Nothing is hidden.
    void Search(const QString& text);

    // The record navigator.
    void First();
    void Prior();
    void Next();
    void Last();
    // Asks "Delete record?" and deletes the row that was current when asked, on a yes.
    void DeleteCurrent(const Seams& seams);

    // Deletes the contiguous block of rows first..last (0-based, inclusive): the cursor goes to
    // the first row and the current row is deleted once per row of the block. Nothing happens
    // when last < first or first is not a row.
    void DeleteRows(int first, int last);

    // Runs changes of many rows (in one transaction when the model has the database) with one
    // reset of the model at the end instead of one per row.
    void Batch(const std::function<void()>& changes);

    // Reads the cursor again (after changes made behind the model's back).
    void Refresh();

signals:
    void CurrentRowChanged(int row);

private:
    void onRowsChanged();
    bool isOpen() const;

    Table& m_table;
    QList<GridColumn> m_columns;
    KVJargon& m_jargon;
    Database* m_db;
    bool m_batch = false;
    // The state that owns the cursor may go before the views on this model do (a window's
    // widgets outlive its members); the model is empty from then on.
    QPointer<Table> m_alive;
    QPointer<KVJargon> m_captions;
};
