#include "CloudConflicts.h"

#include "CloudOutbox.h"
#include "KVCloud.h"
#include "app/KVGlobal.h"
#include "app/Log.h"
#include "store/Database.h"
#include "store/KVid.h"
#include "store/Table.h"
#include "ticket/TicketOps.h"

#include <cmath>

namespace {
const QString kCopy = QStringLiteral("copy");
const QString kRecord = QStringLiteral("record");

// A local value in the form the download would store it: sent up, then taken down again.
QVariant roundTrip(const CloudColumns::Column& c, const QVariant& local)
{
    using K = CloudColumns::ValueKind;
    const QVariant up = CloudColumns::ToCloud(c, local);
    CloudValue bytes;
    if (up.isValid() && !up.isNull()) {
        switch (c.kind) {
        case K::Text: bytes = up.toString().toUtf8(); break;
        case K::Boolean: bytes = QByteArray(up.toBool() ? "1" : "0"); break;
        case K::Integer: bytes = QByteArray::number(up.toLongLong()); break;
        case K::Decimal: bytes = QByteArray::number(up.toDouble(), 'g', 17); break;
        case K::Image: bytes = up.toByteArray(); break;
        }
    }
    return CloudColumns::FromCloud(c, bytes);
}

bool sameValue(const CloudColumns::Column& c, const QVariant& a, const QVariant& b)
{
    using K = CloudColumns::ValueKind;
    switch (c.kind) {
    case K::Text: return a.toString() == b.toString();
    case K::Boolean: return a.toBool() == b.toBool();
    case K::Integer: return a.toLongLong() == b.toLongLong();
    case K::Decimal: {
        const double x = a.toDouble(), y = b.toDouble();
        return std::abs(x - y) <= 1e-9 * std::max(1.0, std::max(std::abs(x), std::abs(y)));
    }
    case K::Image: return a.toByteArray() == b.toByteArray();
    }
    return false;
}

QString shown(const CloudColumns::Column& c, const QVariant& v)
{
    using K = CloudColumns::ValueKind;
    switch (c.kind) {
    case K::Text: return v.toString();
    case K::Boolean: return v.toBool() ? QStringLiteral("\u2713") : QStringLiteral("\u2013");
    case K::Integer: return QString::number(v.toLongLong());
    case K::Decimal: return QString::number(v.toDouble(), 'f', 2);
    case K::Image: return v.toByteArray().isEmpty() ? QStringLiteral("\u2013") : QStringLiteral("\u25A3");
    }
    return {};
}
} // namespace

CloudConflicts::CloudConflicts(KVGlobal& global, KVCloud& c) : g(global), cloud(c) {}

CloudConflicts::~CloudConflicts() = default;

QString CloudConflicts::MarkedColumn(CloudKind kind)
{
    switch (kind) {
    case CloudKind::Tickets: return QStringLiteral("bonnr");
    case CloudKind::Clients: return QStringLiteral("naam");
    case CloudKind::Parts: break;
    }
    return QStringLiteral("omschr");
}

QString CloudConflicts::Mark() { return QStringLiteral(" (conflict)"); }

QVariant CloudConflicts::Unmarked(CloudKind kind, const QString& column, const QVariant& value)
{
    if (column.compare(MarkedColumn(kind), Qt::CaseInsensitive) != 0)
        return value;
    const QString text = value.toString();
    return text.endsWith(Mark()) ? QVariant(text.left(text.size() - Mark().size())) : value;
}

Table& CloudConflicts::conflicts() { return OwnCursor(m_conflicts, g.db(), QStringLiteral("conflicts")); }

Table& CloudConflicts::records(CloudKind kind) { return OwnCursor(m_records[kind], g.db(), CloudColumns::LocalTable(kind)); }

bool CloudConflicts::sameAsIncoming(CloudKind kind, Table& row, bool unmark, const std::vector<QVariant>& incoming)
{
    const auto& cols = CloudColumns::Columns(kind);
    for (size_t i = 1; i < cols.size() && i < incoming.size(); ++i) {
        const CloudColumns::Column& c = cols[i];
        if (!c.takenOver)
            continue;
        QVariant v = row.Value(c.name);
        if (unmark)
            v = Unmarked(kind, c.name, v);
        if (!sameValue(c, roundTrip(c, v), incoming[i]))
            return false;
    }
    return true;
}

void CloudConflicts::BeforeOverwrite(CloudKind kind, Table& local, const QString& id, const std::vector<QVariant>& incoming)
{
    if (sameAsIncoming(kind, local, false, incoming))
        return;

    // The other unit has taken this device's version (its user chose it): the copy that held it
    // is not needed any more, since the record is about to hold the same values.
    QList<QString> copies;
    const QString code = CloudColumns::Code(kind);
    conflicts().Scan({QStringLiteral("kind"), kCopy, kRecord}, [&](qint64, const QVector<QVariant>& v) {
        if (v[0].toString() == code && v[2].toString() == id)
            copies << v[1].toString();
    });
    Table& rows = records(kind);
    for (const QString& copy : copies) {
        if (!rows.Locate(QStringLiteral("id"), copy) || !sameAsIncoming(kind, rows, true, incoming))
            continue;
        rows.Delete();
        forget(copy);
        if (cloud.Outbox().SourceOf(kind, id) == copy)
            cloud.Outbox().HandOver(kind, id, id);
        qCInfo(logCloud).noquote() << "conflict settled by another unit:" << code << id;
        changed();
        return;
    }

    if (!cloud.Outbox().HoldsChange(kind, id))
        return; // nothing of this device's own is at stake: the cloud row wins
    const QString copy = keepCopy(kind, local, id);
    // What waits goes out with this device's version, which the copy now holds.
    cloud.Outbox().HandOver(kind, id, copy);
    qCInfo(logCloud).noquote() << "conflict:" << code << id << "came in while changed here; this device's version kept as" << copy;
    changed();
}

QString CloudConflicts::keepCopy(CloudKind kind, Table& local, const QString& id)
{
    const QStringList columns = local.Columns();
    QList<QVariant> values;
    for (const QString& c : columns)
        values << local.Value(c);
    const QString marked = MarkedColumn(kind);
    const QString copy = NewRecordId(g);

    // Through a cursor without row events: the copy is neither sent nor given blank signatures.
    Table& rows = records(kind);
    rows.Append();
    for (int i = 0; i < columns.size(); ++i) {
        const QString& c = columns[i];
        if (c.compare(QLatin1String("id"), Qt::CaseInsensitive) == 0)
            continue;
        if (c.compare(marked, Qt::CaseInsensitive) == 0)
            rows.SetString(c, values[i].toString() + Mark());
        else
            rows.SetValue(c, values[i]);
    }
    rows.SetString(QStringLiteral("id"), copy);
    rows.SetBoolean(QStringLiteral("synced"), false);
    rows.Post();

    Table& t = conflicts();
    t.Append();
    t.SetString(QStringLiteral("kind"), CloudColumns::Code(kind));
    t.SetString(kCopy, copy);
    t.SetString(kRecord, id);
    t.SetString(QStringLiteral("created"), g.seams.Now().toString(Qt::ISODateWithMs));
    t.Post();
    return copy;
}

bool CloudConflicts::IsCopy(CloudKind kind, const QString& id)
{
    if (!g.db().IsOpen())
        return false;
    Table& t = conflicts();
    return t.Locate(kCopy, id) && t.AsString(QStringLiteral("kind")) == CloudColumns::Code(kind);
}

int CloudConflicts::Count() { return g.db().IsOpen() ? conflicts().RecordCount() : 0; }

QList<CloudConflict> CloudConflicts::List()
{
    QList<CloudConflict> list;
    if (!g.db().IsOpen())
        return list;
    QStringList stale;
    conflicts().Scan({QStringLiteral("kind"), kCopy, kRecord, QStringLiteral("created")}, [&](qint64, const QVector<QVariant>& v) {
        CloudConflict c;
        if (!CloudColumns::KindOfCode(v[0].toString(), &c.kind))
            return;
        c.copy = v[1].toString();
        c.record = v[2].toString();
        c.created = QDateTime::fromString(v[3].toString(), Qt::ISODateWithMs);
        list << c;
    });
    for (auto it = list.begin(); it != list.end();) {
        Table& rows = records(it->kind);
        if (!rows.Locate(QStringLiteral("id"), it->copy)) {
            stale << it->copy; // the user deleted the copy: there is nothing left to choose
            it = list.erase(it);
            continue;
        }
        it->title = Unmarked(it->kind, MarkedColumn(it->kind), rows.Value(MarkedColumn(it->kind))).toString();
        ++it;
    }
    if (!stale.isEmpty()) {
        g.db().InTransaction([&] {
            for (const QString& copy : stale)
                forget(copy);
        });
        changed();
    }
    return list;
}

QList<ConflictField> CloudConflicts::Differences(const CloudConflict& conflict)
{
    QList<ConflictField> fields;
    Table& rows = records(conflict.kind);
    // Read into lists first: the cursor holds one row at a time.
    std::vector<QVariant> mine, theirs;
    const auto& cols = CloudColumns::Columns(conflict.kind);
    const bool hasRecord = rows.Locate(QStringLiteral("id"), conflict.record);
    for (const CloudColumns::Column& c : cols)
        theirs.push_back(hasRecord ? rows.Value(c.name) : QVariant());
    if (!rows.Locate(QStringLiteral("id"), conflict.copy))
        return fields;
    for (const CloudColumns::Column& c : cols)
        mine.push_back(Unmarked(conflict.kind, c.name, rows.Value(c.name)));
    for (size_t i = 1; i < cols.size(); ++i) {
        const CloudColumns::Column& c = cols[i];
        if (!c.takenOver)
            continue;
        const QVariant a = roundTrip(c, mine[i]), b = roundTrip(c, theirs[i]);
        if (!sameValue(c, a, b))
            fields << ConflictField{c.name, shown(c, a), shown(c, b)};
    }
    return fields;
}

void CloudConflicts::Resolve(const CloudConflict& conflict, ConflictChoice choice)
{
    const CloudKind kind = conflict.kind;
    Table& rows = records(kind);
    CloudOutbox& outbox = cloud.Outbox();
    QStringList send; // the records whose outcome goes to the other units
    g.db().InTransaction([&] {
        const bool recordHere = rows.Locate(QStringLiteral("id"), conflict.record);
        if (!rows.Locate(QStringLiteral("id"), conflict.copy)) {
            forget(conflict.copy);
            return;
        }
        const QStringList columns = rows.Columns();
        QList<QVariant> values;
        for (const QString& c : columns)
            values << Unmarked(kind, c, rows.Value(c));
        switch (choice) {
        case ConflictChoice::KeepMine:
            rows.Delete();
            if (rows.Locate(QStringLiteral("id"), conflict.record)) {
                rows.Edit();
            } else {
                rows.Append();
                rows.SetString(QStringLiteral("id"), conflict.record);
            }
            for (int i = 0; i < columns.size(); ++i)
                if (columns[i].compare(QLatin1String("id"), Qt::CaseInsensitive) != 0)
                    rows.SetValue(columns[i], values[i]);
            rows.SetBoolean(QStringLiteral("synced"), false);
            rows.Post();
            send << conflict.record;
            break;
        case ConflictChoice::KeepTheirs:
            rows.Delete();
            if (recordHere)
                send << conflict.record;
            break;
        case ConflictChoice::KeepBoth:
            rows.Edit();
            rows.SetValue(MarkedColumn(kind), Unmarked(kind, MarkedColumn(kind), rows.Value(MarkedColumn(kind))));
            rows.SetBoolean(QStringLiteral("synced"), false);
            rows.Post();
            send << conflict.copy;
            if (recordHere)
                send << conflict.record;
            break;
        }
        forget(conflict.copy);
        // Written down in the same transaction: the choice reaches the other units even when
        // this device goes down right after it.
        if (g.CloudSyncEnabled)
            for (const QString& id : send)
                outbox.Queue(kind, id, true);
    });
    qCInfo(logCloud).noquote() << "conflict of" << CloudColumns::Code(kind) << conflict.record << "resolved:"
                               << (choice == ConflictChoice::KeepMine ? "this device's version"
                                   : choice == ConflictChoice::KeepTheirs ? "the version that came in" : "both kept");

    // The ticket in the editor follows what became of its row.
    if (kind == CloudKind::Tickets && (g.bon.id == conflict.copy || g.bon.id == conflict.record)) {
        const QString id = choice == ConflictChoice::KeepBoth ? g.bon.id : conflict.record;
        LoadBon(g, id);
    }
    changed();
    if (!g.CloudSyncEnabled)
        return;
    bool all = true;
    for (const QString& id : send)
        all = outbox.DeliverNow(kind, id) && all;
    if (all && !send.isEmpty())
        g.PlaySound(QStringLiteral("woosh.mp3"));
}

void CloudConflicts::forget(const QString& copy)
{
    Table& t = conflicts();
    while (t.Locate(kCopy, copy))
        t.Delete();
}

void CloudConflicts::changed() const
{
    if (Changed)
        Changed();
}
