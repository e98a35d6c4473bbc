// The Table cursor's changing side: the edit buffer, post/cancel/delete, the row events and
// typed access to the columns.
#include "Database.h"
#include "TableImpl.h"
#include "app/KVError.h"

#include <QSqlError>
#include <QSqlQuery>
#include <cmath>
#include <limits>

// ---------------------------------------------------------------- columns

QStringList Table::Columns() const
{
    requireOpen("list the columns");
    return d->columns;
}

bool Table::HasColumn(const QString& column) const
{
    requireOpen("look up a column");
    return d->index.contains(column.toLower());
}

int Table::ColumnIndex(const QString& column) const
{
    if (m_state == State::Inactive)
        return -1;
    if (const auto it = d->exact.constFind(column); it != d->exact.constEnd())
        return *it;
    return d->index.value(column.toLower(), -1);
}

int Table::columnOrThrow(const QString& column) const
{
    // Callers mostly spell a column as the table does; only other spellings need lowering.
    if (const auto it = d->exact.constFind(column); it != d->exact.constEnd())
        return *it;
    const int i = d->index.value(column.toLower(), -1);
    if (i < 0)
        throw KVError(QStringLiteral("%1: no column %2").arg(m_table, column));
    return i;
}

const QVariant& Table::cell(int index) const
{
    static const QVariant null;
    if (m_state == State::Edit || m_state == State::Insert)
        return d->buffer[index];
    if (m_rowid < 0)
        return null; // an empty table reads as nulls
    d->completeCurrent();
    return d->current.values[index];
}

QVariant Table::Value(const QString& column) const
{
    requireOpen("read a column");
    return cell(columnOrThrow(column));
}

bool Table::IsNull(const QString& column) const { return IsSqlNull(Value(column)); }

QString Table::AsString(const QString& column) const
{
    const QVariant v = Value(column);
    if (IsSqlNull(v))
        return QString();
    if (v.typeId() == QMetaType::QByteArray)
        return QString::fromUtf8(v.toByteArray());
    return v.toString();
}

namespace {
[[noreturn]] void notANumber(const QString& table, const QString& column, const QString& text)
{
    throw KVError(QStringLiteral("%1: the value \"%2\" of column %3 is not a number").arg(table, text.left(40), column));
}

bool isNumber(const QVariant& v)
{
    switch (v.typeId()) {
    case QMetaType::LongLong:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Bool:
        return true;
    default:
        return false;
    }
}

// Text as SQLite would take it for a number: blanks around it are ignored, an empty text is 0.
bool textToDouble(const QString& text, double& out)
{
    const QString t = text.trimmed();
    if (t.isEmpty()) {
        out = 0;
        return true;
    }
    bool ok = false;
    out = t.toDouble(&ok); // C locale: the point is the decimal separator
    return ok && std::isfinite(out);
}

qint64 roundToInteger(double x)
{
    if (!(std::abs(x) < 9.2e18))
        return 0;
    return qint64(std::llround(x));
}
}

qint64 Table::AsInteger(const QString& column) const
{
    const QVariant v = Value(column);
    if (IsSqlNull(v))
        return 0;
    if (v.typeId() == QMetaType::Double)
        return roundToInteger(v.toDouble());
    if (isNumber(v))
        return v.toLongLong();
    const QString text = AsString(column);
    bool ok = false;
    const qint64 i = text.trimmed().toLongLong(&ok);
    if (ok)
        return i;
    double x = 0;
    if (!textToDouble(text, x))
        notANumber(m_table, column, text);
    return roundToInteger(x);
}

double Table::AsFloat(const QString& column) const
{
    const QVariant v = Value(column);
    if (IsSqlNull(v))
        return 0;
    if (isNumber(v))
        return v.toDouble();
    const QString text = AsString(column);
    double x = 0;
    if (!textToDouble(text, x))
        notANumber(m_table, column, text);
    return x;
}

bool Table::AsBoolean(const QString& column) const
{
    const QVariant v = Value(column);
    if (IsSqlNull(v))
        return false;
    if (isNumber(v))
        return v.toDouble() != 0;
    const QString text = AsString(column).trimmed();
    if (text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
        return true;
    if (text.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
        return false;
    double x = 0;
    if (!textToDouble(text, x))
        throw KVError(QStringLiteral("%1: the value \"%2\" of column %3 is not a boolean").arg(m_table, text.left(40), column));
    return x != 0;
}

QByteArray Table::AsBytes(const QString& column) const
{
    const QVariant v = Value(column);
    if (IsSqlNull(v))
        return QByteArray();
    if (v.typeId() == QMetaType::QByteArray)
        return v.toByteArray();
    return v.toString().toUtf8();
}

void Table::SetValue(const QString& column, const QVariant& value)
{
    requireOpen("write a column");
    if (m_state != State::Edit && m_state != State::Insert)
        throw KVError(QStringLiteral("%1: the row is not being edited").arg(m_table));
    SetValueAt(columnOrThrow(column), value);
}

void Table::SetValueAt(int column, const QVariant& value)
{
    requireOpen("write a column");
    if (m_state != State::Edit && m_state != State::Insert)
        throw KVError(QStringLiteral("%1: the row is not being edited").arg(m_table));
    if (column < 0 || column >= d->columns.size())
        throw KVError(QStringLiteral("%1: no column %2").arg(m_table).arg(column));
    d->buffer[column] = value;
    d->assigned[column] = true;
    m_modified = true;
}

// ---------------------------------------------------------------- changes

void Table::checkBrowseMode()
{
    if (m_state == State::Edit || m_state == State::Insert) {
        if (m_modified)
            Post();
        else
            Cancel();
    }
}

void Table::Edit()
{
    requireOpen("edit");
    if (m_state == State::Edit || m_state == State::Insert)
        return;
    if (m_rowid < 0) {
        Append();
        return;
    }
    d->completeCurrent();
    d->buffer = d->current.values;
    d->assigned.fill(false, d->columns.size());
    m_modified = false;
    m_state = State::Edit;
    if (AfterEdit)
        AfterEdit(*this);
}

void Table::Append()
{
    requireOpen("append");
    checkBrowseMode();
    d->saved = d->current;
    d->savedPosition = d->position;
    d->buffer = QVector<QVariant>(d->columns.size());
    d->assigned.fill(false, d->columns.size());
    m_state = State::Insert;
    if (OnNewRecord) {
        try {
            OnNewRecord(*this);
        } catch (...) {
            Cancel();
            throw;
        }
    }
    m_modified = false;
}

void Table::Insert() { Append(); }

void Table::Cancel()
{
    if (m_state != State::Edit && m_state != State::Insert)
        return;
    const bool inserting = m_state == State::Insert;
    m_state = State::Browse;
    m_modified = false;
    d->buffer.clear();
    d->assigned.clear();
    if (inserting) {
        if (d->saved.rowid >= 0) {
            const Row saved = d->saved;
            setCurrent(saved, d->savedPosition);
        } else {
            clearCurrent();
        }
    }
}

void Table::Post()
{
    requireOpen("post");
    if (m_state != State::Edit && m_state != State::Insert)
        throw KVError(QStringLiteral("%1: there is no row being edited to post").arg(m_table));
    const bool inserting = m_state == State::Insert;
    QVariantList binds;
    for (int i = 0; i < d->columns.size(); ++i)
        if (d->assigned[i])
            binds << d->buffer[i];
    // The statement for this set of columns; a store of the same columns as the last one
    // (a page, a download) reuses its text.
    auto statement = [&](QVector<bool>& columns, QString& sql, const auto& build) -> const QString& {
        if (sql.isEmpty() || columns != d->assigned) {
            QStringList names;
            for (int i = 0; i < d->columns.size(); ++i)
                if (d->assigned[i])
                    names << QuotedName(d->columns[i]);
            columns = d->assigned;
            sql = build(names);
        }
        return sql;
    };

    qint64 rowid = m_rowid;
    if (inserting) {
        const QString& sql = statement(d->insertColumns, d->insertSql, [&](const QStringList& names) {
            if (names.isEmpty())
                return QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(d->from);
            QStringList marks;
            marks.fill(QStringLiteral("?"), names.size());
            return QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)").arg(d->from, names.join(QStringLiteral(", ")), marks.join(QStringLiteral(", ")));
        });
        d->write(sql, binds, &rowid);
    } else if (!binds.isEmpty()) {
        const QString& sql = statement(d->updateColumns, d->updateSql, [&](const QStringList& names) {
            return QStringLiteral("UPDATE %1 SET %2 = ? WHERE rowid = ?").arg(d->from, names.join(QStringLiteral(" = ?, ")));
        });
        binds << rowid;
        if (d->write(sql, binds, nullptr) != 1)
            throw KVError(QStringLiteral("%1: the row being edited is no longer in the table").arg(m_table));
    }

    // What the cursors need of the stored row at once; the rest is read when asked for.
    Row stored;
    d->readKeys(rowid, stored);
    // A new row, or a changed sort key, moves the row in the order; otherwise it keeps its place.
    const bool reordered = inserting || !SameStoredValue(d->keyOf(stored), d->currentKey);
    const int position = reordered ? -1 : d->position;
    d->noteChange(rowid, inserting ? nullptr : &d->current, &stored);
    // The cached windows are read again where they are needed.
    d->forgetRows();
    m_state = State::Browse;
    m_modified = false;
    d->buffer.clear();
    d->assigned.clear();
    setCurrent(stored, position);
    m_eof = m_bof = false;
    m_db.rowChanged(m_table, this, rowid);
    report();
    moved();
    if (AfterPost)
        AfterPost(*this);
}

void Table::Delete()
{
    requireOpen("delete");
    if (m_state == State::Insert) {
        Cancel();
        return;
    }
    Cancel();
    if (m_rowid < 0)
        throw KVError(QStringLiteral("%1: there is no row to delete").arg(m_table));
    d->completeCurrent();
    const QVariant key = d->currentKey;
    const qint64 rowid = m_rowid;
    const int position = d->position;
    {
        QSqlQuery& q = d->prepared(QStringLiteral("DELETE FROM %1 WHERE rowid = ?").arg(d->from));
        d->run(q, {rowid});
        q.finish();
    }
    d->noteChange(rowid, &d->current, nullptr);
    d->forgetRows();
    // The following row takes the deleted row's place; after the last row, the new last one.
    const QVector<Row> next = d->after(key, rowid, 1);
    Row row;
    if (!next.isEmpty())
        setCurrent(next.front(), position);
    else if (d->lastRow(row))
        setCurrent(row, -1);
    else
        clearCurrent();
    m_eof = m_bof = (m_rowid < 0);
    m_db.rowChanged(m_table, this, rowid);
    report();
    moved();
}

void Table::ExecSQL(const QString& sql)
{
    m_db.RequireOpen(m_table.isEmpty() ? QStringLiteral("statement") : m_table);
    {
        QSqlQuery q(m_db.connection());
        if (!q.exec(sql)) {
            const QSqlError e = q.lastError();
            throw KVError(QStringLiteral("%1: %2").arg(sql.left(200), e.databaseText().isEmpty() ? e.text() : e.databaseText()));
        }
    }
    m_db.everythingChanged(this);
    if (m_state == State::Browse) {
        Refresh();
    } else if (m_state != State::Inactive) {
        d->dropStatements();
        d->forgetRows();
    }
}
