#include "Table.h"

#include "Database.h"
#include "OrderIndex.h"
#include "TableImpl.h"
#include "app/KVError.h"

#include <QMetaMethod>
#include <QScopeGuard>
#include <cmath>

Table::Table(Database& db, QString tableName, QString sortColumn, QObject* parent)
    : QObject(parent), d(std::make_unique<Impl>(db, m_table)), m_db(db), m_table(std::move(tableName)), m_sort(std::move(sortColumn))
{
    m_db.attach(this);
}

Table::~Table()
{
    m_db.detach(this);
}

bool Table::IsValidIdentifier(const QString& name)
{
    if (name.isEmpty())
        return false;
    for (const QChar c : name)
        if (!(c.unicode() < 128 && (c.isLetterOrNumber() || c == QLatin1Char('_'))))
            return false;
    return true;
}

void Table::SetTableName(const QString& name)
{
    if (IsOpen())
        throw KVError(QStringLiteral("%1: the table name cannot change while the table is open").arg(m_table));
    m_table = name;
}

// ---------------------------------------------------------------- open and close

void Table::Open()
{
    if (IsOpen())
        return;
    m_db.RequireOpen(m_table.isEmpty() ? QStringLiteral("table") : m_table);
    if (!IsValidIdentifier(m_table))
        throw KVError(QStringLiteral("\"%1\" is not a table name").arg(m_table));
    if (!m_sort.isEmpty() && !IsValidIdentifier(m_sort))
        throw KVError(QStringLiteral("%1: \"%2\" is not a column name").arg(m_table, m_sort));
    d->loadColumns();
    int sortIndex = -1;
    if (!m_sort.isEmpty()) {
        sortIndex = d->index.value(m_sort.toLower(), -1);
        if (sortIndex < 0)
            throw KVError(QStringLiteral("%1: no column %2 to sort by").arg(m_table, m_sort));
        m_sort = d->columns[sortIndex];
    }
    // The first cursor over a table cannot know what happened to it while none was open.
    d->shared = &m_db.sharedState(m_table);
    if (!m_db.anotherCursorOpen(this))
        d->shared->reset();
    d->setSort(sortIndex);
    d->forgetRows();
    Row first;
    const bool any = d->firstRow(first);
    m_state = State::Browse;
    m_modified = false;
    if (any)
        setCurrent(first, 0);
    else
        clearCurrent();
    m_bof = true;
    m_eof = !any;
    emit RowsChanged();
}

void Table::Close()
{
    if (m_state == State::Inactive)
        return;
    m_state = State::Inactive;
    m_modified = false;
    d->dropStatements();
    d->forgetRows();
    d->buffer.clear();
    d->assigned.clear();
    clearCurrent();
    emit RowsChanged();
}

bool Table::IsOpen() const { return m_state != State::Inactive && m_db.IsOpen(); }

void Table::requireOpen(const char* what) const
{
    if (!m_db.IsOpen())
        throw KVError(QStringLiteral("%1: cannot %2, the database is not open").arg(m_table, QLatin1String(what)));
    if (m_state == State::Inactive)
        throw KVError(QStringLiteral("%1: cannot %2, the table is not open").arg(m_table, QLatin1String(what)));
}

void Table::Refresh()
{
    requireOpen("refresh");
    checkBrowseMode();
    d->loadColumns();
    int sortIndex = -1;
    if (!m_sort.isEmpty()) {
        sortIndex = d->index.value(m_sort.toLower(), -1);
        if (sortIndex < 0)
            throw KVError(QStringLiteral("%1: no column %2 to sort by").arg(m_table, m_sort));
    }
    d->shared->reset();
    d->setSort(sortIndex);
    reread();
    report();
}

void Table::reread()
{
    d->forgetRows();
    if (m_rowid >= 0) {
        // The current row as it is stored now; when it is gone, the row that followed it.
        const QVariant key = d->currentKey;
        const qint64 rowid = m_rowid;
        Row row;
        if (d->readRow(rowid, row)) {
            setCurrent(row, -1);
        } else if (QVector<Row> next = d->after(key, rowid, 1); !next.isEmpty()) {
            setCurrent(next.front(), -1);
        } else if (d->lastRow(row)) {
            setCurrent(row, -1);
        } else {
            clearCurrent();
        }
    } else if (Row first; d->firstRow(first)) {
        setCurrent(first, 0);
        m_bof = true;
        m_eof = false;
    }
    if (m_rowid < 0)
        m_eof = m_bof = true;
}

void Table::rowChangedElsewhere(qint64 rowid)
{
    // Positions may have shifted; the current row's values change only when it is that row.
    d->forgetRows();
    d->savedPosition = -1;
    if (m_state == State::Browse && (m_rowid == rowid || m_rowid < 0)) {
        // Called while another cursor reports its change: nothing may escape.
        try {
            reread();
        } catch (const std::exception&) {
        }
    }
    report();
}

void Table::everythingChangedElsewhere()
{
    d->forgetRows();
    d->savedPosition = -1;
    if (m_state == State::Browse) {
        try {
            Refresh();
            return;
        } catch (const std::exception&) {
        }
    } else if (d->shared) {
        d->shared->reset();
    }
    report();
}

void Table::report()
{
    // Inside a transaction the grids hear of it once, when it is committed.
    if (m_db.InTransaction())
        m_db.reportLater(this);
    else
        emit RowsChanged();
}

// ---------------------------------------------------------------- order and navigation

void Table::SetSortColumn(const QString& column)
{
    if (!column.isEmpty() && !IsValidIdentifier(column))
        throw KVError(QStringLiteral("%1: \"%2\" is not a column name").arg(m_table, column));
    if (!IsOpen()) {
        m_sort = column;
        return;
    }
    checkBrowseMode();
    const int sortIndex = column.isEmpty() ? -1 : columnOrThrow(column);
    m_sort = sortIndex < 0 ? QString() : d->columns[sortIndex];
    d->setSort(sortIndex);
    d->forgetRows();
    if (m_rowid >= 0) {
        d->completeCurrent();
        setCurrent(d->current, -1);
    }
    report();
    moved();
}

void Table::PrepareOrder(const QString& column)
{
    requireOpen("learn an order");
    d->requireOrder(column.isEmpty() ? -1 : columnOrThrow(column));
}

int Table::RecordCount() const
{
    requireOpen("count rows");
    return d->rowCount();
}

int Table::RecNo() const
{
    if (!IsOpen() || m_rowid < 0)
        return -1;
    if (d->position < 0)
        d->position = d->positionOf(d->currentKey, m_rowid);
    return d->position;
}

void Table::setCurrent(const Row& row, int position)
{
    if (&row != &d->current)
        d->current = row;
    m_rowid = d->current.rowid;
    d->currentKey = d->keyOf(d->current);
    d->position = position;
}

void Table::clearCurrent()
{
    d->current = Row();
    d->currentKey = QVariant();
    d->position = -1;
    m_rowid = -1;
    m_eof = m_bof = true;
}

void Table::moved()
{
    if (m_db.InTransaction()) {
        m_db.reportLater(this);
        return;
    }
    static const QMetaMethod signal = QMetaMethod::fromSignal(&Table::CurrentChanged);
    if (isSignalConnected(signal))
        emit CurrentChanged(RecNo());
}

void Table::First()
{
    requireOpen("go to the first row");
    checkBrowseMode();
    if (const Row* r = d->rowAt(0)) {
        const Row row = *r;
        setCurrent(row, 0);
        m_eof = false;
    } else {
        clearCurrent();
    }
    m_bof = true;
    moved();
}

void Table::Last()
{
    requireOpen("go to the last row");
    checkBrowseMode();
    Row row;
    if (d->lastRow(row)) {
        setCurrent(row, d->rowCount() - 1);
        m_bof = false;
    } else {
        clearCurrent();
    }
    m_eof = true;
    moved();
}

void Table::Next()
{
    requireOpen("go to the next row");
    checkBrowseMode();
    if (m_rowid < 0) {
        m_eof = true;
        return;
    }
    // From a known position through the window cache; otherwise by key.
    const int p = d->position;
    const Row* here = p >= 0 ? d->rowAt(p) : nullptr;
    if (here && here->rowid == m_rowid) {
        if (const Row* r = d->rowAt(p + 1)) {
            const Row row = *r;
            setCurrent(row, p + 1);
            m_eof = m_bof = false;
            moved();
        } else {
            m_eof = true;
        }
        return;
    }
    // The current row may also have gone (deleted through another cursor): it is followed by key.
    QVector<Row> next = d->after(d->currentKey, m_rowid, 1);
    if (next.isEmpty()) {
        m_eof = true;
        return;
    }
    setCurrent(next.front(), -1);
    m_eof = m_bof = false;
    moved();
}

void Table::Prior()
{
    requireOpen("go to the prior row");
    checkBrowseMode();
    if (m_rowid < 0) {
        m_bof = true;
        return;
    }
    const int p = d->position;
    const Row* here = p >= 0 ? d->rowAt(p) : nullptr;
    if (here && here->rowid == m_rowid) {
        if (const Row* r = p > 0 ? d->rowAt(p - 1) : nullptr) {
            const Row row = *r;
            setCurrent(row, p - 1);
            m_eof = m_bof = false;
            moved();
        } else {
            m_bof = true;
        }
        return;
    }
    QVector<Row> prior = d->before(d->currentKey, m_rowid, 1);
    if (prior.isEmpty()) {
        m_bof = true;
        return;
    }
    setCurrent(prior.front(), -1);
    m_eof = m_bof = false;
    moved();
}

void Table::MoveTo(int position)
{
    requireOpen("move");
    checkBrowseMode();
    const int n = d->rowCount();
    if (n == 0) {
        clearCurrent();
        return;
    }
    position = std::clamp(position, 0, n - 1);
    if (const Row* r = d->rowAt(position)) {
        const Row row = *r;
        setCurrent(row, position);
        m_eof = m_bof = false;
        moved();
    }
}

bool Table::GotoRowId(qint64 rowid)
{
    requireOpen("go to a row");
    checkBrowseMode();
    Row row;
    if (!d->readRow(rowid, row))
        return false;
    setCurrent(row, -1);
    m_eof = m_bof = false;
    moved();
    return true;
}

bool Table::Locate(const QString& column, const QVariant& value)
{
    requireOpen("locate");
    checkBrowseMode();
    const int c = columnOrThrow(column);
    const bool null = IsSqlNull(value);
    // The rowid first, so that a search that finds nothing reads no row.
    QString& sql = d->locateSql[null ? -1 - c : c];
    if (sql.isEmpty()) {
        const QString col = QuotedName(d->columns[c]);
        sql = QStringLiteral("SELECT rowid FROM ") + d->from +
              (null ? QStringLiteral(" WHERE %1 IS NULL").arg(col) : QStringLiteral(" WHERE %1 = ?").arg(col)) + d->orderAsc +
              QStringLiteral(" LIMIT 1");
    }
    const qint64 found = d->scalar(sql, null ? QVariantList{} : QVariantList{value}, -1);
    Row row;
    if (found < 0 || !d->readRow(found, row))
        return false;
    setCurrent(row, -1);
    m_eof = m_bof = false;
    moved();
    return true;
}

void Table::FindNearest(const QString& text)
{
    requireOpen("search");
    checkBrowseMode();
    if (text.isEmpty()) {
        First();
        return;
    }
    Row row;
    if (d->nearest(text, row)) {
        setCurrent(row, -1);
        m_eof = m_bof = false;
        moved();
    } else {
        Last();
        m_eof = false;
    }
}

QVariant Table::ValueAt(int position, int column) const
{
    if (!IsOpen() || column < 0 || column >= d->columns.size())
        return {};
    const Row* r = d->rowAt(position);
    return r ? r->values[column] : QVariant();
}

QVariant Table::ValueAt(int position, const QString& column) const
{
    return ValueAt(position, ColumnIndex(column));
}

qint64 Table::RowIdAt(int position) const
{
    if (!IsOpen())
        return -1;
    const Row* r = d->rowAt(position);
    return r ? r->rowid : -1;
}

void Table::Scan(const QStringList& columns, const std::function<void(qint64, const QVector<QVariant>&)>& fn) const
{
    requireOpen("read the rows");
    QStringList list{QStringLiteral("rowid")};
    for (const QString& c : columns)
        list << QuotedName(d->columns[columnOrThrow(c)]);
    QSqlQuery& q = d->prepared(QStringLiteral("SELECT ") + list.join(QStringLiteral(", ")) + QStringLiteral(" FROM ") + d->from + QStringLiteral(" ORDER BY rowid"));
    d->run(q, {});
    auto done = qScopeGuard([&q] { q.finish(); });
    QVector<QVariant> values(columns.size());
    while (q.next()) {
        for (int i = 0; i < values.size(); ++i)
            values[i] = q.value(i + 1);
        fn(q.value(0).toLongLong(), values);
    }
}
