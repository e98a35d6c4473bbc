#include "CloudOutbox.h"

#include "CloudConflicts.h"
#include "KVCloud.h"
#include "app/KVGlobal.h"
#include "app/Log.h"
#include "store/Database.h"
#include "store/Table.h"

#include <QDateTime>
#include <QStringList>
#include <algorithm>

namespace {
const QString kRec = QStringLiteral("rec");

QString recOf(CloudKind kind, const QString& id) { return CloudColumns::Code(kind) + QLatin1Char(':') + id; }

QList<int> unitsOf(const QString& text)
{
    QList<int> units;
    for (const QString& part : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        bool ok = false;
        const int n = part.toInt(&ok);
        if (ok && n >= 0 && n <= 10 && !units.contains(n))
            units << n;
    }
    std::sort(units.begin(), units.end());
    return units;
}

QString textOf(const QList<int>& units)
{
    QStringList parts;
    for (int n : units)
        parts << QString::number(n);
    return parts.join(QLatin1Char(','));
}
} // namespace

struct CloudOutbox::Entry {
    CloudKind kind = CloudKind::Clients;
    QString id, source;
    QList<int> units;
    int attempts = 0;
    bool settle = false;
    QDateTime sent;
};

CloudOutbox::CloudOutbox(KVGlobal& global, KVCloud& c) : g(global), cloud(c) {}

CloudOutbox::~CloudOutbox() = default;

Table& OwnCursor(std::unique_ptr<Table>& cursor, Database& db, const QString& table)
{
    if (!cursor)
        cursor = std::make_unique<Table>(db, table);
    if (!cursor->IsOpen())
        cursor->Open();
    return *cursor;
}

Table& CloudOutbox::entries() { return OwnCursor(m_entries, g.db(), QStringLiteral("outbox")); }

Table& CloudOutbox::records(CloudKind kind) { return OwnCursor(m_records[kind], g.db(), CloudColumns::LocalTable(kind)); }

bool CloudOutbox::readEntry(const QString& rec, Entry* e)
{
    Table& t = entries();
    if (!t.Locate(kRec, rec))
        return false;
    if (!CloudColumns::KindOfCode(t.AsString(QStringLiteral("kind")), &e->kind))
        return false;
    e->id = t.AsString(QStringLiteral("id"));
    e->source = t.AsString(QStringLiteral("source"));
    e->units = unitsOf(t.AsString(QStringLiteral("units")));
    e->attempts = int(t.AsInteger(QStringLiteral("attempts")));
    e->settle = t.AsBoolean(QStringLiteral("settle"));
    e->sent = QDateTime::fromString(t.AsString(QStringLiteral("sent")), Qt::ISODateWithMs);
    return true;
}

QList<int> CloudOutbox::Targets()
{
    const int last = cloud.UnitsCounted() ? std::min(g.SyncUnits, 10) : 10;
    QList<int> units;
    for (int n = 0; n <= last; ++n)
        if (g.SyncDevs()[size_t(n)].actief && n != g.OwnUnit())
            units << n;
    return units;
}

void CloudOutbox::Queue(CloudKind kind, const QString& id, bool settle) { queue(kind, id, settle, QString()); }

void CloudOutbox::queue(CloudKind kind, const QString& id, bool settle, const QString& error)
{
    purgeSettled();
    const QString rec = recOf(kind, id);
    Table& t = entries();
    QList<int> units = Targets();
    int attempts = 0;
    if (t.Locate(kRec, rec)) {
        for (int n : unitsOf(t.AsString(QStringLiteral("units"))))
            if (!units.contains(n))
                units << n;
        std::sort(units.begin(), units.end());
        settle = settle || t.AsBoolean(QStringLiteral("settle"));
        attempts = int(t.AsInteger(QStringLiteral("attempts")));
        t.Edit();
    } else {
        t.Append();
        t.SetString(kRec, rec);
        t.SetString(QStringLiteral("kind"), CloudColumns::Code(kind));
        t.SetString(QStringLiteral("id"), id);
        t.SetString(QStringLiteral("queued"), g.seams.Now().toString(Qt::ISODateWithMs));
    }
    t.SetString(QStringLiteral("source"), id);
    t.SetString(QStringLiteral("units"), textOf(units));
    t.SetBoolean(QStringLiteral("settle"), settle);
    // A push that cannot even start counts as an attempt that failed.
    t.SetInteger(QStringLiteral("attempts"), attempts + (error.isEmpty() ? 0 : 1));
    if (!error.isEmpty())
        t.SetString(QStringLiteral("lasterror"), error);
    t.Post();
}

bool CloudOutbox::Send(CloudKind kind, const QString& id)
{
    if (cloud.Conflicts().IsCopy(kind, id))
        return false; // a conflict copy stays here until the user decides
    if (online())
        cloud.EnsureUnitsCounted();
    if (Targets().isEmpty() && SourceOf(kind, id).isEmpty())
        return true;
    // Written down before anything is sent: a device that goes down in the middle of the push
    // still knows what to send.
    bool done = false;
    if (online()) {
        queue(kind, id, false, QString());
        done = deliver(recOf(kind, id));
    } else {
        queue(kind, id, true, QStringLiteral("Connection is not connected"));
        qCInfo(logCloud).noquote() << "no connection:" << recOf(kind, id) << "waits to be sent";
    }
    changed();
    return done;
}

bool CloudOutbox::online() const { return cloud.UniConnectionCloud.IsConnected(); }

bool CloudOutbox::deliver(const QString& rec)
{
    Entry e;
    if (!readEntry(rec, &e))
        return true;
    Table& rows = records(e.kind);
    if (!rows.Locate(QStringLiteral("id"), e.source)) {
        // Deleted here since: there is nothing left to send.
        qCInfo(logCloud).noquote() << "not sent, deleted here:" << rec;
        entries().Locate(kRec, rec);
        entries().Delete();
        return true;
    }
    const bool fromCopy = e.source != e.id;
    const CloudKind kind = e.kind;
    const QString id = e.id;
    const KVCloud::RowSource values = [&rows, fromCopy, kind, id](const QString& column) -> QVariant {
        if (column == QLatin1String("id"))
            return id;
        const QVariant v = rows.Value(column);
        return fromCopy ? CloudConflicts::Unmarked(kind, column, v) : v;
    };

    const QList<int> targets = Targets();
    QList<int> left;
    QString error;
    for (int n : e.units) {
        if (!targets.contains(n))
            continue; // no longer a target: inactive, the own unit, or beyond the units counted
        if (!online()) {
            left << n;
            error = QStringLiteral("Connection is not connected");
            continue;
        }
        try {
            cloud.SetTargetTable(kind, n);
            cloud.PushRecord(kind, values);
            if (Delivered)
                Delivered(kind, id, n);
        } catch (const CloudError& err) {
            left << n;
            error = err.text();
        }
    }

    Table& t = entries();
    if (!t.Locate(kRec, rec))
        return left.isEmpty();
    if (!left.isEmpty()) {
        t.Edit();
        t.SetString(QStringLiteral("units"), textOf(left));
        t.SetInteger(QStringLiteral("attempts"), e.attempts + 1);
        t.SetString(QStringLiteral("lasterror"), error.left(200));
        t.Post();
        qCInfo(logCloud).noquote() << rec << "still waits for units" << textOf(left) << ":" << error;
        return false;
    }
    if (e.settle || e.attempts > 0) {
        t.Edit();
        t.SetString(QStringLiteral("units"), QString());
        t.SetString(QStringLiteral("lasterror"), QString());
        t.SetString(QStringLiteral("sent"), g.seams.Now().toString(Qt::ISODateWithMs));
        t.SetBoolean(QStringLiteral("settle"), true);
        t.Post();
        qCInfo(logCloud).noquote() << rec << "sent after" << e.attempts << "attempt(s)";
    } else {
        t.Delete();
    }
    return true;
}

int CloudOutbox::Deliver()
{
    if (!g.db().IsOpen() || !online())
        return 0;
    cloud.EnsureUnitsCounted();
    purgeSettled();
    QStringList waiting;
    entries().Scan({kRec, QStringLiteral("units")}, [&](qint64, const QVector<QVariant>& v) {
        if (!v[1].toString().isEmpty())
            waiting << v[0].toString();
    });
    int done = 0;
    for (const QString& rec : waiting) {
        if (!online())
            break;
        if (deliver(rec))
            ++done;
    }
    if (!waiting.isEmpty())
        changed();
    return done;
}

bool CloudOutbox::DeliverNow(CloudKind kind, const QString& id)
{
    if (!online())
        return false;
    cloud.EnsureUnitsCounted();
    const bool done = deliver(recOf(kind, id));
    changed();
    return done;
}

int CloudOutbox::Waiting()
{
    if (!g.db().IsOpen())
        return 0;
    int n = 0;
    entries().Scan({QStringLiteral("units")}, [&n](qint64, const QVector<QVariant>& v) {
        if (!v[0].toString().isEmpty())
            ++n;
    });
    return n;
}

bool CloudOutbox::HoldsChange(CloudKind kind, const QString& id)
{
    Entry e;
    if (!readEntry(recOf(kind, id), &e) || e.source != e.id)
        return false;
    if (!e.units.isEmpty())
        return true;
    return e.settle && e.sent.isValid() && e.sent.secsTo(g.seams.Now()) < settleSeconds;
}

void CloudOutbox::HandOver(CloudKind kind, const QString& id, const QString& copy)
{
    Table& t = entries();
    if (!t.Locate(kRec, recOf(kind, id)))
        return;
    t.Edit();
    t.SetString(QStringLiteral("source"), copy);
    t.Post();
}

QString CloudOutbox::SourceOf(CloudKind kind, const QString& id)
{
    Table& t = entries();
    return t.Locate(kRec, recOf(kind, id)) ? t.AsString(QStringLiteral("source")) : QString();
}

void CloudOutbox::purgeSettled()
{
    const QDateTime now = g.seams.Now();
    QList<qint64> done;
    entries().Scan({QStringLiteral("units"), QStringLiteral("sent")}, [&](qint64 rowid, const QVector<QVariant>& v) {
        if (!v[0].toString().isEmpty())
            return;
        const QDateTime sent = QDateTime::fromString(v[1].toString(), Qt::ISODateWithMs);
        if (!sent.isValid() || sent.secsTo(now) >= settleSeconds)
            done << rowid;
    });
    if (done.isEmpty())
        return;
    Table& t = entries();
    g.db().InTransaction([&] {
        for (qint64 rowid : done)
            if (t.GotoRowId(rowid))
                t.Delete();
    });
}

void CloudOutbox::changed() const
{
    if (Changed)
        Changed();
}
