// The Table cursor's reading side: prepared statements, keyset queries over the sort index
// and the small cache of row windows that positions are served from.
#include "Database.h"
#include "OrderIndex.h"
#include "TableImpl.h"
#include "app/KVError.h"

#include <QSqlDriver>
#include <QScopeGuard>
#include <QSqlError>
#include <algorithm>
#include <sqlite3.h>

bool IsSqlNull(const QVariant& v)
{
    if (v.isNull())
        return true;
    if (v.typeId() == QMetaType::QString)
        return v.toString().isNull();
    if (v.typeId() == QMetaType::QByteArray)
        return v.toByteArray().isNull();
    return false;
}

bool SameStoredValue(const QVariant& a, const QVariant& b)
{
    const bool an = IsSqlNull(a), bn = IsSqlNull(b);
    if (an || bn)
        return an && bn;
    return a.typeId() == b.typeId() && a == b;
}

QString QuotedName(const QString& name)
{
    QString inner = name;
    inner.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + inner + QLatin1Char('"');
}

void Table::Impl::loadColumns()
{
    // The table name is bound: pragma_table_info takes it as a parameter.
    QSqlQuery q(db.connection());
    q.setForwardOnly(true);
    if (!q.prepare(QStringLiteral("SELECT name FROM pragma_table_info(?)")))
        fail(q);
    q.addBindValue(table);
    if (!q.exec())
        fail(q);
    QStringList names;
    while (q.next())
        names << q.value(0).toString();
    if (names.isEmpty())
        throw KVError(QStringLiteral("%1: no such table").arg(table));
    columns = names;
    index.clear();
    exact.clear();
    for (int i = 0; i < columns.size(); ++i) {
        index.insert(columns[i].toLower(), i);
        exact.insert(columns[i], i);
    }
}

void Table::Impl::setSort(int column)
{
    sortIndex = column;
    rebuildSql();
}

void Table::Impl::rebuildSql()
{
    dropStatements();
    locateSql.clear();
    insertColumns.clear();
    updateColumns.clear();
    from = QuotedName(table);
    QStringList list{QStringLiteral("rowid")};
    for (const QString& c : columns)
        list << QuotedName(c);
    select = QStringLiteral("SELECT ") + list.join(QStringLiteral(", ")) + QStringLiteral(" FROM ") + from;
    if (sortIndex < 0) {
        key = QStringLiteral("rowid");
        orderAsc = QStringLiteral(" ORDER BY rowid");
        orderDesc = QStringLiteral(" ORDER BY rowid DESC");
    } else {
        key = QuotedName(columns[sortIndex]);
        orderAsc = QStringLiteral(" ORDER BY %1, rowid").arg(key);
        orderDesc = QStringLiteral(" ORDER BY %1 DESC, rowid DESC").arg(key);
    }
}

void Table::Impl::forgetRows()
{
    windows.clear();
    position = -1;
}

void Table::Impl::Finalize::operator()(sqlite3_stmt* st) const { sqlite3_finalize(st); }

void Table::Impl::dropStatements()
{
    statements.clear();
    writes.clear();
}

namespace {
// The kinds of value whose binding by Qt's SQLite driver is plain: null, blob, integer, double
// and text. Anything else (dates, times, ...) goes through the driver itself.
bool plainValue(const QVariant& v)
{
    if (IsSqlNull(v))
        return true;
    switch (v.typeId()) {
    case QMetaType::QByteArray:
    case QMetaType::Int:
    case QMetaType::Bool:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::Double:
    case QMetaType::QString:
        return true;
    default:
        return false;
    }
}

// Binds the value as the driver does; the value must outlive the statement's step.
int bindPlain(sqlite3_stmt* st, int at, const QVariant& v)
{
    if (IsSqlNull(v))
        return sqlite3_bind_null(st, at);
    switch (v.typeId()) {
    case QMetaType::QByteArray: {
        const QByteArray* b = static_cast<const QByteArray*>(v.constData());
        return sqlite3_bind_blob(st, at, b->constData(), int(b->size()), SQLITE_STATIC);
    }
    case QMetaType::Int:
    case QMetaType::Bool: return sqlite3_bind_int(st, at, v.toInt());
    case QMetaType::Double: return sqlite3_bind_double(st, at, v.toDouble());
    case QMetaType::QString: {
        const QString* t = static_cast<const QString*>(v.constData());
        return sqlite3_bind_text16(st, at, t->utf16(), int(t->size() * qsizetype(sizeof(QChar))), SQLITE_STATIC);
    }
    default: return sqlite3_bind_int64(st, at, v.toLongLong()); // UInt, LongLong
    }
}
} // namespace

int Table::Impl::write(const QString& sql, const QVariantList& binds, qint64* rowid)
{
    sqlite3* handle = rawHandle();
    if (!handle || !std::all_of(binds.begin(), binds.end(), plainValue)) {
        QSqlQuery& q = prepared(sql);
        run(q, binds);
        const int changed = q.numRowsAffected();
        if (rowid)
            *rowid = q.lastInsertId().toLongLong();
        q.finish();
        return changed;
    }
    auto failed = [&] { throw KVError(QStringLiteral("%1: %2").arg(table, QString::fromUtf8(sqlite3_errmsg(handle)))); };
    auto it = writes.find(sql);
    if (it == writes.end()) {
        if (writes.size() > 64) // as for the Qt statements: the column sets are few
            writes.clear();
        const QByteArray text = sql.toUtf8();
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(handle, text.constData(), int(text.size()), &st, nullptr) != SQLITE_OK)
            failed();
        it = writes.emplace(sql, std::unique_ptr<sqlite3_stmt, Finalize>(st)).first;
    }
    sqlite3_stmt* st = it->second.get();
    // The statement lets go of the values (and of its lock on the table) however it ends.
    const auto reset = qScopeGuard([st] {
        sqlite3_reset(st);
        sqlite3_clear_bindings(st);
    });
    for (int i = 0; i < binds.size(); ++i)
        if (bindPlain(st, i + 1, binds[i]) != SQLITE_OK)
            failed();
    if (sqlite3_step(st) != SQLITE_DONE)
        failed();
    if (rowid)
        *rowid = sqlite3_last_insert_rowid(handle);
    return sqlite3_changes(handle);
}

QSqlQuery& Table::Impl::prepared(const QString& sql)
{
    auto it = statements.find(sql);
    if (it != statements.end())
        return *it->second;
    if (statements.size() > 64) // the distinct UPDATE column sets are few; keep the cache bounded
        statements.clear();
    auto q = std::make_unique<QSqlQuery>(db.connection());
    q->setForwardOnly(true);
    if (!q->prepare(sql))
        fail(*q);
    return *statements.emplace(sql, std::move(q)).first->second;
}

void Table::Impl::run(QSqlQuery& q, const QVariantList& binds)
{
    for (int i = 0; i < binds.size(); ++i)
        q.bindValue(i, binds[i]);
    if (!q.exec()) {
        q.finish();
        fail(q);
    }
}

void Table::Impl::fail(const QSqlQuery& q) const
{
    const QSqlError e = q.lastError();
    QString text = e.databaseText().isEmpty() ? e.text() : e.databaseText();
    if (text.isEmpty())
        text = QStringLiteral("database error");
    throw KVError(QStringLiteral("%1: %2").arg(table, text));
}

QVector<Table::Row> Table::Impl::fetch(const QString& sql, const QVariantList& binds)
{
    QSqlQuery& q = prepared(sql);
    run(q, binds);
    QVector<Row> rows;
    const int n = int(columns.size());
    while (q.next()) {
        Row r;
        r.rowid = q.value(0).toLongLong();
        r.values.resize(n);
        for (int i = 0; i < n; ++i)
            r.values[i] = q.value(i + 1);
        rows.push_back(std::move(r));
    }
    q.finish();
    return rows;
}

qint64 Table::Impl::scalar(const QString& sql, const QVariantList& binds, qint64 none)
{
    QSqlQuery& q = prepared(sql);
    run(q, binds);
    const qint64 v = q.next() ? q.value(0).toLongLong() : none;
    q.finish();
    return v;
}

bool Table::Impl::readRow(qint64 rowid, Row& out)
{
    const QVector<Row> rows = fetch(select + QStringLiteral(" WHERE rowid = ?"), {rowid});
    if (rows.isEmpty())
        return false;
    out = rows.front();
    return true;
}

void Table::Impl::readKeys(qint64 rowid, Row& out)
{
    QStringList names;
    QVector<int> at;
    auto want = [&](int column) {
        if (column >= 0 && !at.contains(column)) {
            at << column;
            names << QuotedName(columns[column]);
        }
    };
    want(sortIndex);
    for (const auto& o : shared->orders)
        if (!o->column().isEmpty())
            want(index.value(o->column(), -1));
    out.rowid = rowid;
    out.values = QVector<QVariant>(columns.size());
    out.partial = true;
    if (at.isEmpty())
        return;
    QSqlQuery& q = prepared(QStringLiteral("SELECT ") + names.join(QStringLiteral(", ")) + QStringLiteral(" FROM ") + from +
                            QStringLiteral(" WHERE rowid = ?"));
    run(q, {rowid});
    if (q.next())
        for (int i = 0; i < at.size(); ++i)
            out.values[at[i]] = q.value(i);
    q.finish();
}

void Table::Impl::completeCurrent()
{
    if (!current.partial)
        return;
    Row full;
    if (!readRow(current.rowid, full))
        throw KVError(QStringLiteral("%1: the posted row cannot be read back").arg(table));
    current = full;
}

bool Table::Impl::firstRow(Row& out)
{
    const QVector<Row> rows = fetch(select + orderAsc + QStringLiteral(" LIMIT 1"), {});
    if (rows.isEmpty())
        return false;
    out = rows.front();
    return true;
}

bool Table::Impl::lastRow(Row& out)
{
    const QVector<Row> rows = fetch(select + orderDesc + QStringLiteral(" LIMIT 1"), {});
    if (rows.isEmpty())
        return false;
    out = rows.front();
    return true;
}

// Rows that follow (key, rowid). Each piece is a range on the sort index (which holds the rowid
// as its last part), so the cost does not depend on where in the table the row lies. Nulls sort
// first and never satisfy a comparison, hence the separate pieces for them.
QVector<Table::Row> Table::Impl::after(const QVariant& k, qint64 rowid, int n)
{
    if (sortIndex < 0)
        return fetch(select + QStringLiteral(" WHERE rowid > ? ORDER BY rowid LIMIT ?"), {rowid, n});
    QVector<Row> rows;
    if (IsSqlNull(k)) {
        rows = fetch(select + QStringLiteral(" WHERE %1 IS NULL AND rowid > ? ORDER BY rowid LIMIT ?").arg(key), {rowid, n});
        if (rows.size() < n)
            rows += fetch(select + QStringLiteral(" WHERE %1 IS NOT NULL").arg(key) + orderAsc + QStringLiteral(" LIMIT ?"),
                          {n - int(rows.size())});
    } else {
        rows = fetch(select + QStringLiteral(" WHERE %1 = ? AND rowid > ? ORDER BY rowid LIMIT ?").arg(key), {k, rowid, n});
        if (rows.size() < n)
            rows += fetch(select + QStringLiteral(" WHERE %1 > ?").arg(key) + orderAsc + QStringLiteral(" LIMIT ?"),
                          {k, n - int(rows.size())});
    }
    return rows;
}

QVector<Table::Row> Table::Impl::before(const QVariant& k, qint64 rowid, int n)
{
    QVector<Row> rows;
    if (sortIndex < 0) {
        rows = fetch(select + QStringLiteral(" WHERE rowid < ? ORDER BY rowid DESC LIMIT ?"), {rowid, n});
    } else if (IsSqlNull(k)) {
        rows = fetch(select + QStringLiteral(" WHERE %1 IS NULL AND rowid < ? ORDER BY rowid DESC LIMIT ?").arg(key), {rowid, n});
    } else {
        rows = fetch(select + QStringLiteral(" WHERE %1 = ? AND rowid < ? ORDER BY rowid DESC LIMIT ?").arg(key), {k, rowid, n});
        if (rows.size() < n)
            rows += fetch(select + QStringLiteral(" WHERE %1 < ?").arg(key) + orderDesc + QStringLiteral(" LIMIT ?"),
                          {k, n - int(rows.size())});
        if (rows.size() < n)
            rows += fetch(select + QStringLiteral(" WHERE %1 IS NULL ORDER BY rowid DESC LIMIT ?").arg(key), {n - int(rows.size())});
    }
    std::reverse(rows.begin(), rows.end());
    return rows;
}

bool Table::Impl::nearest(const QString& text, Row& out)
{
    const QVector<Row> rows = fetch(select + QStringLiteral(" WHERE %1 >= ?").arg(key) + orderAsc + QStringLiteral(" LIMIT 1"), {text});
    if (rows.isEmpty())
        return false;
    out = rows.front();
    return true;
}

int Table::Impl::knownCount() const
{
    if (shared->count < 0)
        if (const OrderIndex* o = order())
            shared->count = o->size();
    return shared->count;
}

int Table::Impl::rowCount()
{
    if (knownCount() < 0)
        shared->count = int(scalar(QStringLiteral("SELECT COUNT(*) FROM ") + from, {}));
    return shared->count;
}

sqlite3* Table::Impl::rawHandle() const
{
    // Qt's own SQLite connection, as its driver documents handing it out.
    const QVariant v = db.connection().driver()->handle();
    if (v.isValid() && qstrcmp(v.typeName(), "sqlite3*") == 0)
        return *static_cast<sqlite3* const*>(v.constData());
    return nullptr;
}

OrderIndex* Table::Impl::order() const
{
    return shared->order(sortIndex < 0 ? QString() : columns[sortIndex].toLower());
}

OrderIndex& Table::Impl::requireOrder() { return requireOrder(sortIndex); }

OrderIndex& Table::Impl::requireOrder(int column)
{
    const QString name = column < 0 ? QString() : columns[column].toLower();
    if (OrderIndex* o = shared->order(name))
        return *o;
    // One pass along the sort index, keys and rowids only: the rows themselves stay on disk.
    auto built = std::make_unique<OrderIndex>(name);
    const QString quoted = column < 0 ? QString() : QuotedName(columns[column]);
    const QString sql = column < 0 ? QStringLiteral("SELECT rowid FROM %1 ORDER BY rowid").arg(from)
                                   : QStringLiteral("SELECT rowid, %1 FROM %2 ORDER BY %1, rowid").arg(quoted, from);
    if (sqlite3* handle = rawHandle()) {
        // Straight from SQLite: a hundred thousand keys cost milliseconds instead of a QVariant
        // each, and text keys arrive as the very bytes SQLite compares.
        const QByteArray text = sql.toUtf8();
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(handle, text.constData(), int(text.size()), &st, nullptr) != SQLITE_OK)
            throw KVError(QStringLiteral("%1: %2").arg(table, QString::fromUtf8(sqlite3_errmsg(handle))));
        int rc;
        while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
            const qint64 rowid = sqlite3_column_int64(st, 0);
            if (column < 0) {
                built->appendStored(SQLITE_NULL, 0, 0, nullptr, 0, rowid);
                continue;
            }
            // Each value as what it is: asking a text for a number would convert it.
            switch (const int type = sqlite3_column_type(st, 1)) {
            case SQLITE_INTEGER: built->appendStored(type, sqlite3_column_int64(st, 1), 0, nullptr, 0, rowid); break;
            case SQLITE_FLOAT: built->appendStored(type, 0, sqlite3_column_double(st, 1), nullptr, 0, rowid); break;
            case SQLITE_TEXT:
                built->appendStored(type, 0, 0, reinterpret_cast<const char*>(sqlite3_column_text(st, 1)),
                                    size_t(sqlite3_column_bytes(st, 1)), rowid);
                break;
            case SQLITE_BLOB:
                built->appendStored(type, 0, 0, static_cast<const char*>(sqlite3_column_blob(st, 1)),
                                    size_t(sqlite3_column_bytes(st, 1)), rowid);
                break;
            default: built->appendStored(SQLITE_NULL, 0, 0, nullptr, 0, rowid); break;
            }
        }
        sqlite3_finalize(st);
        if (rc != SQLITE_DONE)
            throw KVError(QStringLiteral("%1: %2").arg(table, QString::fromUtf8(sqlite3_errmsg(handle))));
    } else {
        QSqlQuery& q = prepared(sql);
        run(q, {});
        while (q.next())
            built->append(column < 0 ? QVariant() : q.value(1), q.value(0).toLongLong());
        q.finish();
    }
    shared->count = built->size();
    shared->orders.push_back(std::move(built));
    return *shared->orders.back();
}

bool Table::Impl::anyBefore(const QVariant& k, qint64 rowid)
{
    const QString head = QStringLiteral("SELECT rowid FROM ") + from;
    if (sortIndex < 0)
        return scalar(head + QStringLiteral(" WHERE rowid < ? LIMIT 1"), {rowid}, -1) >= 0;
    // As in before(): each piece a range on the sort index.
    if (IsSqlNull(k))
        return scalar(head + QStringLiteral(" WHERE %1 IS NULL AND rowid < ? LIMIT 1").arg(key), {rowid}, -1) >= 0;
    return scalar(head + QStringLiteral(" WHERE %1 IS NULL LIMIT 1").arg(key), {}, -1) >= 0 ||
           scalar(head + QStringLiteral(" WHERE %1 < ? LIMIT 1").arg(key), {k}, -1) >= 0 ||
           scalar(head + QStringLiteral(" WHERE %1 = ? AND rowid < ? LIMIT 1").arg(key), {k, rowid}, -1) >= 0;
}

int Table::Impl::positionOf(const QVariant& k, qint64 rowid)
{
    if (const OrderIndex* o = order())
        return o->rank(orderKey(k), rowid);
    // The first row needs no index: a list opens there.
    if (!anyBefore(k, rowid))
        return 0;
    return requireOrder().rank(orderKey(k), rowid);
}

void Table::Impl::noteChange(qint64 rowid, const Row* was, const Row* now)
{
    if (shared->count >= 0)
        shared->count += (now ? 1 : 0) - (was ? 1 : 0);
    bool inStep = true;
    for (const auto& o : shared->orders) {
        const int column = o->column().isEmpty() ? -1 : index.value(o->column(), -2);
        if (column == -2) {
            inStep = false;
            break;
        }
        const QVariant oldKey = was && column >= 0 ? was->values[column] : QVariant();
        const QVariant newKey = now && column >= 0 ? now->values[column] : QVariant();
        if (was && now && SameStoredValue(oldKey, newKey))
            continue; // the row keeps its place in this order
        if (was && !o->erase(oldKey, rowid)) {
            inStep = false;
            break;
        }
        if (now)
            o->insert(newKey, rowid);
    }
    if (!inStep || (shared->count >= 0 && !shared->orders.empty() && shared->orders.front()->size() != shared->count))
        shared->reset(); // read again from the table when next needed
}

const Table::Row* Table::Impl::cached(int pos)
{
    for (Window& w : windows)
        if (pos >= w.start && pos < w.end()) {
            w.used = ++clock;
            return &w.rows[pos - w.start];
        }
    return nullptr;
}

void Table::Impl::addWindow(int start, QVector<Row> rows, bool reachedEnd)
{
    if (reachedEnd && shared->count < 0)
        shared->count = start + int(rows.size());
    if (rows.isEmpty())
        return;
    if (int(windows.size()) >= MaxWindows) {
        auto oldest = std::min_element(windows.begin(), windows.end(), [](const Window& a, const Window& b) { return a.used < b.used; });
        windows.erase(oldest);
    }
    windows.push_back(Window{start, std::move(rows), ++clock});
}

const Table::Row* Table::Impl::rowAt(int pos)
{
    if (pos < 0 || pos >= rowCount())
        return nullptr;
    if (const Row* r = cached(pos))
        return r;
    constexpr int N = WindowRows;
    // Walking forward or backward: continue from the neighbouring window by key.
    for (const Window& w : windows) {
        if (w.end() == pos) {
            const Row last = w.rows.back();
            QVector<Row> rows = after(keyOf(last), last.rowid, N);
            const bool end = rows.size() < N;
            addWindow(pos, std::move(rows), end);
            break;
        }
        if (w.start == pos + 1) {
            const Row first = w.rows.front();
            QVector<Row> rows = before(keyOf(first), first.rowid, N);
            const int start = pos + 1 - int(rows.size());
            addWindow(start, std::move(rows), false);
            break;
        }
    }
    if (const Row* r = cached(pos))
        return r;
    if (pos >= rowCount())
        return nullptr;
    // Near the current row (a grid showing the row just found): a window around it by key.
    if (current.rowid >= 0 && position >= 0 && std::abs(pos - position) <= N / 2) {
        completeCurrent();
        QVector<Row> rows = position > 0 ? before(currentKey, current.rowid, N / 2) : QVector<Row>{};
        const int start = position - int(rows.size());
        rows.push_back(current);
        QVector<Row> tail = after(currentKey, current.rowid, N / 2);
        const bool end = tail.size() < N / 2;
        rows += tail;
        addWindow(start, std::move(rows), end);
        if (const Row* r = cached(pos))
            return r;
        if (pos >= rowCount())
            return nullptr;
    }
    // A jump: the order index tells which row is there; the window starts a little before it.
    const int start = std::max(0, pos - N / 4);
    QVector<Row> rows = rowsFrom(start, N);
    const bool end = rows.size() < N;
    addWindow(start, std::move(rows), end);
    return cached(pos);
}

QVector<Table::Row> Table::Impl::rowsFrom(int start, int n)
{
    if (start == 0)
        return fetch(select + orderAsc + QStringLiteral(" LIMIT ?"), {n});
    const OrderIndex& o = requireOrder();
    if (start > o.size())
        return {};
    // The rows after the one just before start.
    const int p = start - 1;
    return after(sortIndex < 0 ? QVariant(o.rowidAt(p)) : o.keyAt(p), o.rowidAt(p), n);
}
