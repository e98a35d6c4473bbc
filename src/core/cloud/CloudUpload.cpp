// Upload: a local record into the inboxes of the other units.
#include "KVCloud.h"

#include "app/KVGlobal.h"
#include "store/Table.h"

#include <mysqld_error.h>

#include <algorithm>

namespace {

// The match of a row by its identifier: exact and case-sensitive whatever the column's
// collation, while the plain comparison still lets the server use its index.
const QString kIdMatch = QStringLiteral("`id` = ? AND CAST(`id` AS BINARY) = CAST(? AS BINARY)");

QString updateSql(CloudKind kind, const QString& table)
{
    QStringList set;
    const auto& cols = CloudColumns::Columns(kind);
    for (size_t i = 1; i < cols.size(); ++i)
        set << CloudColumns::Quoted(cols[i].name) + QStringLiteral("=?");
    return QStringLiteral("UPDATE ") + CloudColumns::Quoted(table) + QStringLiteral(" SET ") + set.join(QLatin1Char(',')) +
           QStringLiteral(" WHERE ") + kIdMatch;
}

QString insertSql(CloudKind kind, const QString& table)
{
    const auto& cols = CloudColumns::Columns(kind);
    QStringList marks;
    for (size_t i = 0; i < cols.size(); ++i)
        marks << QStringLiteral("?");
    return QStringLiteral("INSERT INTO ") + CloudColumns::Quoted(table) + QStringLiteral(" (") + CloudColumns::SelectList(kind) +
           QStringLiteral(") VALUES (") + marks.join(QLatin1Char(',')) + QLatin1Char(')');
}

} // namespace

void KVCloud::PushRecord(CloudKind kind, const RowSource& row)
{
    // The push never connects.
    if (!UniConnectionCloud.IsConnected())
        throw KVError(QStringLiteral("Connection is not connected"));
    const auto& cols = CloudColumns::Columns(kind);
    QVariantList values;
    values.reserve(static_cast<qsizetype>(cols.size()));
    for (const CloudColumns::Column& c : cols)
        values << CloudColumns::ToCloud(c, row(c.name));

    // The row with this id is updated; without one a row is added. A null image clears the
    // cloud's copy, so a removed signature is removed there too.
    QVariantList update = values.mid(1);
    update << values.first() << values.first();
    const QString updateText = updateSql(kind, m_target);
    if (UniConnectionCloud.Exec(updateText, update) > 0)
        return;
    try {
        UniConnectionCloud.Exec(insertSql(kind, m_target), values);
    } catch (const CloudError& e) {
        // Another device added the same record in the meantime: update it after all.
        if (e.code() != ER_DUP_ENTRY)
            throw;
        UniConnectionCloud.Exec(updateText, update);
    }
}

void KVCloud::FanOut(CloudKind kind, const RowSource& row)
{
    const int last = std::min(g.SyncUnits, 10);
    for (int n = 0; n <= last; ++n) {
        if (!g.SyncDevs()[static_cast<size_t>(n)].actief || n == g.OwnUnit())
            continue;
        SetTargetTable(kind, n);
        PushRecord(kind, row);
    }
}

void KVCloud::FanOut(CloudKind kind, Table& table)
{
    FanOut(kind, [&table](const QString& column) { return table.Value(column); });
}

void KVCloud::UploadTickets(int startRow, int endRow)
{
    if (!UniConnectionCloud.IsConnected() && !connectSilently())
        return;
    Table& bon = g.BonTable();
    bon.MoveTo(startRow);
    if (endRow < startRow)
        return;
    const int total = std::min(endRow, bon.RecordCount() - 1) - startRow + 1;
    int done = 0;
    if (Progress)
        Progress(Transfer::Upload, CloudKind::Tickets, 0, total);
    try {
        for (int i = 0; i <= endRow - startRow && !bon.Eof(); ++i) {
            FanOut(CloudKind::Tickets, bon);
            g.PlaySound(QStringLiteral("woosh.mp3"));
            bon.Next();
            if (Progress && ++done < total)
                Progress(Transfer::Upload, CloudKind::Tickets, done, total);
        }
    } catch (const KVAbort&) {
        // a server error ends the upload without a message
    }
    if (Progress)
        Progress(Transfer::Upload, CloudKind::Tickets, total, total);
}
