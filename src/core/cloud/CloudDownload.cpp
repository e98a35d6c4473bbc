// Download: the own inbox into the local tables.
//
// The inbox is read in batches, oldest identifier first. Each batch is locked in the cloud
// while it is handled, so that a unit pushing a newer version of one of its records waits
// instead of seeing its version deleted unread. The batch is merged into the local table in one
// local transaction, which is committed (durably) before its rows' deletion in the cloud is.
// Wherever the work stops, nothing is lost: rows stored locally but still in the inbox arrive
// once more and are merged by identifier again.
//
// A row for a record that holds a change of this device not yet seen by the other units does
// not wipe that change out: it is stored as always, and the device's own version is kept as a
// conflict copy for the user to choose from (see CloudConflicts).
#include "KVCloud.h"

#include "CloudConflicts.h"
#include "CloudOutbox.h"
#include "CloudStatus.h"
#include "app/KVGlobal.h"
#include "store/Database.h"
#include "store/Table.h"

#include <mysqld_error.h>

#include <QScopeGuard>

#include <algorithm>
#include <atomic>
#include <exception>
#include <thread>

bool KVCloud::PullInbox(CloudKind kind)
{
    // A connect that fails ends the action that asked for the download (silently).
    if (!UniConnectionCloud.IsConnected())
        UniConnectionCloud.Connect();
    // The download walks a cursor of its own over the local table, so that the row a page or a
    // list is on stays current whatever arrives. The table's row events run as for any change,
    // and the lists follow each batch once it is stored.
    const Table& shared = localTable(kind);
    Table local(g.db(), shared.tableName());
    local.OnNewRecord = shared.OnNewRecord;
    local.AfterEdit = shared.AfterEdit;
    local.AfterPost = shared.AfterPost;
    local.Open();
    // Where each column of the kind goes in the local table, looked up once.
    std::vector<int> targets;
    for (const CloudColumns::Column& c : CloudColumns::Columns(kind))
        targets.push_back(local.ColumnIndex(c.name));
    targets.push_back(local.ColumnIndex(QStringLiteral("synced")));
    int merged = 0;
    int total = 0;
    if (Progress) {
        try {
            total = std::max(0, InboxCount(kind));
        } catch (const CloudError&) {
            // no inbox of this kind: nothing is waiting
        }
        Progress(Transfer::Download, kind, 0, total);
    }
    // The last report, however the download ends.
    struct Finish {
        const decltype(KVCloud::Progress)& report;
        CloudKind kind;
        const int& merged;
        ~Finish() { if (report) report(Transfer::Download, kind, merged, merged); }
    } finish{Progress, kind, merged};
    bool more = true;
    int limit = std::min(std::max(1, downloadBatch), FirstBatch);
    qint64 bytes = 0;
    int fetched = 0;
    while (more) {
        merged += pullBatch(kind, local, targets, merged, limit, &more, &bytes, &fetched);
        if (Progress && more)
            Progress(Transfer::Download, kind, merged, std::max(total, merged + 1));
        const qint64 perRow = std::max<qint64>(1, bytes / std::max(1, fetched));
        limit = int(std::clamp<qint64>(downloadBytes / perRow, 1, std::max(1, downloadBatch)));
    }
    return merged > 0;
}

int KVCloud::pullBatch(CloudKind kind, Table& local, const std::vector<int>& targets, int handledSoFar, int limit, bool* more,
                       qint64* bytes, int* fetched)
{
    const QString table = CloudColumns::Quoted(CloudColumns::TableName(kind, g.OwnUnit()));
    const QString select = QStringLiteral("SELECT ") + CloudColumns::DownloadSelectList(kind) + QStringLiteral(" FROM ") + table +
                           QStringLiteral(" ORDER BY `id` LIMIT ? FOR UPDATE");
    const QString remove = QStringLiteral("DELETE FROM ") + table +
                           QStringLiteral(" WHERE `id` = ? AND CAST(`id` AS BINARY) = CAST(? AS BINARY) LIMIT 1");
    const QString removeNull = QStringLiteral("DELETE FROM ") + table + QStringLiteral(" WHERE `id` IS NULL LIMIT 1");

    const int batch = limit;
    *more = false;
    UniConnectionCloud.StartTransaction();
    try {
        std::vector<CloudRow> rows;
        try {
            rows = UniConnectionCloud.Query(select, {batch});
        } catch (const CloudError& e) {
            // A unit without an inbox has nothing waiting.
            if (e.code() != ER_NO_SUCH_TABLE)
                throw;
        }
        if (rows.empty()) {
            UniConnectionCloud.Commit();
            return 0;
        }
        *fetched += int(rows.size());
        for (const CloudRow& row : rows)
            for (const CloudValue& v : row)
                *bytes += v ? v->size() : 0;
        // The batch's deletes travel while the batch is stored here: the server works through
        // them in the open transaction, which is committed only once the local commit is
        // durable. Until then no other session sees them, and a failure on either side rolls
        // them back, so the rows stay in the inbox.
        quint64 removed = 0;
        std::exception_ptr deleteFailure;
        std::atomic<bool> abandoned{false}; // the local side failed: the rest is not sent
        std::thread deleter([&] {
            try {
                for (const CloudRow& row : rows) {
                    if (abandoned)
                        break;
                    removed += row[0] ? UniConnectionCloud.Exec(remove, {*row[0], *row[0]}) : UniConnectionCloud.Exec(removeNull);
                }
            } catch (...) {
                deleteFailure = std::current_exception();
            }
        });
        const auto joinDeleter = qScopeGuard([&] {
            if (deleter.joinable()) {
                abandoned = true;
                deleter.join();
            }
        });
        int merged = 0;
        g.db().InTransaction([&] {
            for (const CloudRow& row : rows) {
                // A row without a proper identifier cannot be merged by it: it is dropped.
                if (!row[0] || !CloudColumns::IsRecordId(QString::fromUtf8(*row[0])))
                    continue;
                mergeRow(kind, local, targets, row);
                ++merged;
                if (RowMerged)
                    RowMerged(kind, handledSoFar + merged);
            }
        });
        deleter.join();
        if (deleteFailure) {
            try {
                std::rethrow_exception(deleteFailure);
            } catch (const CloudError& e) {
                m_status->NoteError(e.code(), e.text());
                throw;
            }
        }
        UniConnectionCloud.Commit();
        // A full batch may have more behind it. Rows that cannot be deleted would come back for
        // ever: then stop rather than loop.
        *more = rows.size() == static_cast<size_t>(batch) && removed > 0;
        return merged;
    } catch (...) {
        UniConnectionCloud.Rollback();
        throw;
    }
}

void KVCloud::mergeRow(CloudKind kind, Table& local, const std::vector<int>& targets, const CloudRow& row)
{
    const auto& cols = CloudColumns::Columns(kind);
    // A column the local table lacks fails as writing it by name does.
    auto set = [&local, &targets, &cols](size_t i, const QVariant& v) {
        if (targets[i] < 0)
            local.SetValue(i < cols.size() ? cols[i].name : QStringLiteral("synced"), v);
        else
            local.SetValueAt(targets[i], v);
    };
    const QString id = QString::fromUtf8(*row[0]);
    std::vector<QVariant> incoming(cols.size());
    for (size_t i = 1; i < cols.size(); ++i)
        if (cols[i].takenOver)
            incoming[i] = CloudColumns::FromCloud(cols[i], row[i]);
    if (local.Locate(QStringLiteral("id"), id)) {
        m_conflicts->BeforeOverwrite(kind, local, id, incoming);
        local.Locate(QStringLiteral("id"), id);
        local.Edit();
    } else {
        local.Append(); // the new-row event gives it an identifier, replaced at once
    }
    try {
        set(0, id);
        for (size_t i = 1; i < cols.size(); ++i) {
            const CloudColumns::Column& c = cols[i];
            if (!c.takenOver)
                continue;
            const QVariant& v = incoming[i];
            if (c.kind == CloudColumns::ValueKind::Boolean)
                set(i, v.toBool() ? 1 : 0);
            else
                set(i, v);
        }
        set(cols.size(), 1); // synced
        local.Post();
    } catch (...) {
        local.Cancel();
        throw;
    }
}

void KVCloud::DownloadClick(CloudKind kind)
{
    bool moved = false;
    try {
        moved = PullInbox(kind);
    } catch (const KVAbort&) {
        return; // no connection or a server error: no message, no sound
    }
    g.PlaySound(moved ? QStringLiteral("pop.mp3") : QStringLiteral("nono.mp3"));
    // The connection is open now: what waited goes out.
    deliverOutbox();
    if (UniConnectionCloud.IsConnected())
        m_status->NoteExchange();
}

void KVCloud::deliverOutbox()
{
    try {
        if (m_outbox->Deliver() > 0)
            g.PlaySound(QStringLiteral("woosh.mp3"));
    } catch (const KVAbort&) {
        // a silenced database error: what is left waits for the next time
    }
}
