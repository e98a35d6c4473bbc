// The cloud on the loopback MariaDB server of the test command (KV_TEST_MYSQL_*, see
// scripts/test-servers.sh): the fan-out of one signed ticket to ten units and the download of
// 1 000 tickets into a store of 2 000 and of 20 000 tickets, with and without the overview open,
// each beside the same statements run by the mariadb client (the download's through
// bench/download_floor.sh), which is the floor that no client of the server can go below by much.
//
//   source scripts/test-servers.sh && start_mariadb && build-test/bench/bench_cloud; stop_mariadb
// (--benchmark_filter=Download runs one half.)
#include "app/KVGlobal.h"
#include "app/SettingsStore.h"
#include "store/LocalStore.h"
#include "cloud/CloudOutbox.h"
#include "cloud/KVCloud.h"
#include "store/Database.h"
#include "store/Table.h"
#include "catalogue/CursorGrid.h"
#include "catalogue/CursorModel.h"
#include "catalogue/TicketOverview.h"

#include <QApplication>
#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <memory>

namespace {

QString env(const char* name)
{
    const QString v = qEnvironmentVariable(name);
    if (v.isEmpty()) {
        std::fprintf(stderr, "%s is not set: start the test server first (scripts/test-servers.sh)\n", name);
        std::exit(2);
    }
    return v;
}

QString serverSetting() { return env("KV_TEST_MYSQL_HOST") + QLatin1Char(':') + env("KV_TEST_MYSQL_PORT"); }

const QString kCompany = QStringLiteral("bench%1").arg(QCoreApplication::applicationPid());
const QString kPassword = QStringLiteral("bench");

int provision(const QStringList& args)
{
    QProcess p;
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    e.insert(QStringLiteral("KV_ADMIN_PASSWORD"), env("KV_TEST_MYSQL_ADMIN_PASSWORD"));
    e.insert(QStringLiteral("KV_CLOUD_PASSWORD"), kPassword);
    p.setProcessEnvironment(e);
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.start(QStringLiteral("bash"), QStringList{QStringLiteral(KV_SOURCE_DIR "/scripts/provision-cloud.sh"),
                                                QStringLiteral("--company"), kCompany}
                                        << args
                                        << QStringList{QStringLiteral("--host"), env("KV_TEST_MYSQL_HOST"),
                                                       QStringLiteral("--port"), env("KV_TEST_MYSQL_PORT"),
                                                       QStringLiteral("--admin-user"), env("KV_TEST_MYSQL_ADMIN_USER")});
    p.waitForFinished(60000);
    p.readAllStandardOutput();
    return p.exitCode();
}

// A signature as a pad draws it: a few strokes on white, 600 x 200.
QByteArray signature(int seed)
{
    QImage img(600, 200, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setPen(QPen(Qt::black, 3));
    for (int i = 0; i < 12; ++i)
        p.drawLine(40 * i, 100 + ((i * 37 + seed) % 80) - 40, 40 * i + 50, 100 - ((i * 53 + seed) % 80) + 40);
    p.end();
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    img.save(&buf, "PNG");
    return bytes;
}

QVariantMap ticket(const QString& id)
{
    QVariantMap m;
    int i = 0;
    for (const CloudColumns::Column& c : CloudColumns::Columns(CloudKind::Tickets)) {
        ++i;
        switch (c.kind) {
        case CloudColumns::ValueKind::Text:
            m[c.name] = c.name == QLatin1String("id") ? id : QString(QStringLiteral("Tekst ë € ") + c.name).left(c.maxLength);
            break;
        case CloudColumns::ValueKind::Boolean: m[c.name] = i % 2 == 0; break;
        case CloudColumns::ValueKind::Integer: m[c.name] = qint64(std::min<double>(i % 13, c.high)); break;
        case CloudColumns::ValueKind::Decimal: m[c.name] = i + 0.25; break;
        case CloudColumns::ValueKind::Image: m[c.name] = signature(i); break;
        }
    }
    m[QStringLiteral("ondertekend")] = true;
    return m;
}

QString newId(int n)
{
    static const char digits[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    QString id = QStringLiteral("LMKVL2FDjU6");
    for (int k = 0, v = n; k < 4; ++k, v /= 62)
        id += QLatin1Char(digits[v % 62]);
    return id;
}

// A value as an SQL literal, for the mariadb client's statements.
QByteArray literal(const QVariant& v)
{
    if (!v.isValid() || v.isNull())
        return "NULL";
    switch (v.typeId()) {
    case QMetaType::QByteArray: return "X'" + v.toByteArray().toHex() + "'";
    case QMetaType::Bool: return v.toBool() ? "1" : "0";
    case QMetaType::Double: return QByteArray::number(v.toDouble(), 'g', 17);
    case QMetaType::LongLong:
    case QMetaType::Int: return QByteArray::number(v.toLongLong());
    default: {
        QByteArray s = v.toString().toUtf8();
        s.replace("\\", "\\\\").replace("'", "\\'");
        return "'" + s + "'";
    }
    }
}

// The statements of one ticket's push into one table, as the program sends them.
QByteArray pushStatements(const QString& table, const QVariantMap& row)
{
    QByteArray set, cols, vals;
    const QByteArray id = literal(row.value(QStringLiteral("id")));
    for (const CloudColumns::Column& c : CloudColumns::Columns(CloudKind::Tickets)) {
        const QByteArray v = literal(CloudColumns::ToCloud(c, row.value(c.name)));
        const QByteArray name = "`" + c.name.toUtf8() + "`";
        if (c.name != QLatin1String("id"))
            set += (set.isEmpty() ? "" : ",") + name + "=" + v;
        cols += (cols.isEmpty() ? "" : ",") + name;
        vals += (vals.isEmpty() ? "" : ",") + v;
    }
    return "UPDATE `" + table.toUtf8() + "` SET " + set + " WHERE `id` = " + id + " AND CAST(`id` AS BINARY) = CAST(" +
           id + " AS BINARY);\nINSERT INTO `" + table.toUtf8() + "` (" + cols + ") VALUES (" + vals + ");\n";
}

// Runs SQL through the mariadb client as the company's account; the whole process is timed.
void runClient(const QByteArray& sql)
{
    QTemporaryFile f;
    f.open();
    f.write(sql);
    f.flush();
    QProcess p;
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    e.insert(QStringLiteral("MYSQL_PWD"), kPassword);
    p.setProcessEnvironment(e);
    p.setStandardInputFile(f.fileName());
    p.setStandardOutputFile(QProcess::nullDevice());
    p.start(QStringLiteral("mariadb"), {QStringLiteral("--no-defaults"), QStringLiteral("--protocol=TCP"),
                                        QStringLiteral("-h"), env("KV_TEST_MYSQL_HOST"), QStringLiteral("-P"),
                                        env("KV_TEST_MYSQL_PORT"), QStringLiteral("-u"), KVCloud::PrefixedAccountName(kCompany),
                                        KVCloud::PrefixedAccountName(kCompany)});
    p.waitForFinished(60000);
    if (p.exitCode() != 0)
        std::fprintf(stderr, "mariadb client failed: %s\n", p.readAllStandardError().constData());
}

// The office with every unit 1..10 active.
struct Office {
    Office() : g(Edition::Dutch, dir.path())
    {
        g.settings.inst.unit = 0;
        g.settings.cloud = {kCompany, kPassword, serverSetting()};
        for (auto& slot : g.SyncDevs())
            slot.actief = true;
        cloud = std::make_unique<KVCloud>(g);
        cloud->ConnectAtStartUp();
        g.CloudSyncEnabled = true;
    }
    QTemporaryDir dir;
    KVGlobal g;
    std::unique_ptr<KVCloud> cloud;
};

void emptyInboxes(CloudConnection& c)
{
    for (int n = 0; n <= 10; ++n)
        c.Exec(QStringLiteral("DELETE FROM `kv%1`").arg(n));
}

void BM_FanOutSignedTicketTo10Units(benchmark::State& state)
{
    Office office;
    const QVariantMap row = ticket(newId(0));
    int n = 0;
    for (auto _ : state) {
        state.PauseTiming();
        QVariantMap t = row;
        t[QStringLiteral("id")] = newId(++n); // a ticket signed for the first time: ten new rows
        state.ResumeTiming();
        office.cloud->FanOut(CloudKind::Tickets, [&t](const QString& c) { return t.value(c); });
    }
    emptyInboxes(office.cloud->UniConnectionCloud);
}

void BM_FanOutSignedTicketTo10Units_MariadbClient(benchmark::State& state)
{
    Office office;
    int n = 100000;
    for (auto _ : state) {
        state.PauseTiming();
        QVariantMap t = ticket(newId(++n));
        QByteArray sql;
        for (int u = 1; u <= 10; ++u)
            sql += pushStatements(QStringLiteral("kv%1").arg(u), t);
        state.ResumeTiming();
        runClient(sql);
    }
    emptyInboxes(office.cloud->UniConnectionCloud);
}

// The mariadb client doing nothing: its start and connect, part of its figures above.
void BM_MariadbClientStartOnly(benchmark::State& state)
{
    for (auto _ : state)
        runClient("SELECT 1;\n");
}

// ---- download ----

constexpr int kTickets = 1000;
int g_nextId = 200000;

// Puts kTickets new tickets into unit 1's inbox, as the office's pushes would; returns their ids.
QStringList seedInbox(CloudConnection& c)
{
    QStringList ids;
    QStringList cols, marks;
    for (const CloudColumns::Column& col : CloudColumns::Columns(CloudKind::Tickets)) {
        cols << QLatin1Char('`') + col.name + QLatin1Char('`');
        marks << QStringLiteral("?");
    }
    const QString sql = QStringLiteral("INSERT INTO `kv1` (%1) VALUES (%2)").arg(cols.join(','), marks.join(','));
    const QVariantMap row = ticket(QString());
    c.StartTransaction();
    for (int i = 0; i < kTickets; ++i) {
        const QString id = newId(++g_nextId);
        QVariantList values;
        for (const CloudColumns::Column& col : CloudColumns::Columns(CloudKind::Tickets))
            values << (col.name == QLatin1String("id") ? QVariant(id) : CloudColumns::ToCloud(col, row.value(col.name)));
        c.Exec(sql, values);
        ids << id;
    }
    c.Commit();
    return ids;
}

// Unit 1 with its local database of localTickets stored tickets, and optionally the window's
// ticket overview on it: the grid of the overview page, shown, on the list's first ticket.
struct Unit1 {
    Unit1(int localTickets, bool window) : g(Edition::Dutch, dir.path())
    {
        const QString path = dir.filePath(QStringLiteral("kolvarn.db3"));
        QProcess sqlite;
        sqlite.setStandardInputFile(QStringLiteral(KV_SOURCE_DIR "/resources/schema.sql"));
        sqlite.start(QStringLiteral("sqlite3"), {path});
        sqlite.waitForFinished();
        ReadSettings(g);
        g.settings.inst.unit = 1;
        g.settings.cloud = {kCompany, kPassword, serverSetting()};
        if (!OpenDatabase(g))
            std::exit(3);
        fillTickets(localTickets);
        cloud = std::make_unique<KVCloud>(g);
        cloud->ConnectAtStartUp();
        if (window) {
            overview = std::make_unique<CursorModel>(g.BonTable(), TicketOverview::GridColumns(), g.jargon, &g.db());
            grid = std::make_unique<CursorGridView>(QStringLiteral("FNCGridKV"), overview.get());
            grid->resize(420, 620);
            grid->show();
            QCoreApplication::processEvents();
        }
    }
    // Stored tickets with a few filled columns, as a unit's own store holds them, written behind
    // the cursors' backs into the upgraded store.
    void fillTickets(int n)
    {
        g.db().InTransaction([&] {
            QSqlQuery q(g.db().connection());
            q.prepare(QStringLiteral("INSERT INTO bon (id, bonnr, datum, opdrachtgever, werkzh, werk1, ondertekend) "
                                     "VALUES (?, ?, ?, ?, ?, 7.5, 1)"));
            for (int i = 0; i < n; ++i) {
                q.addBindValue(QStringLiteral("LMKVlocal%1").arg(i, 6, 10, QLatin1Char('0')));
                q.addBindValue(QStringLiteral("1-%1").arg(20200001 + i));
                q.addBindValue(QStringLiteral("%1-%2-2021").arg(1 + i % 28, 2, 10, QLatin1Char('0')).arg(1 + i % 12, 2, 10, QLatin1Char('0')));
                q.addBindValue(QStringLiteral("Klant %1").arg(i % 500));
                q.addBindValue(QStringLiteral("Ketel onderhouden\r\nFilter vervangen\r\n"));
                if (!q.exec())
                    std::exit(4);
            }
        });
        g.BonTable().Refresh();
    }
    QTemporaryDir dir;
    KVGlobal g;
    std::unique_ptr<KVCloud> cloud;
    std::unique_ptr<CursorModel> overview;
    std::unique_ptr<CursorGridView> grid;
};

void downloadArgs(benchmark::internal::Benchmark* b)
{
    b->ArgNames({"local", "window"});
    for (int window : {1, 0})
        for (int local : {2000, 20000})
            b->Args({local, window});
    b->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(true);
}

// The download as the user has it: 1 000 tickets arrive, the overview (when open) follows and
// paints once the download has returned.
void BM_Download1000Tickets(benchmark::State& state)
{
    Unit1 unit(int(state.range(0)), state.range(1) != 0);
    for (auto _ : state) {
        state.PauseTiming();
        seedInbox(unit.cloud->UniConnectionCloud);
        state.ResumeTiming();
        if (!unit.cloud->PullInbox(CloudKind::Tickets))
            state.SkipWithError("nothing came");
        QCoreApplication::processEvents();
    }
    state.counters["local rows"] = unit.g.BonTable().RecordCount();
}

// The floor: the download's statements for the same inbox, by the mariadb client
// (bench/download_floor.sh), timed as a whole process.
void BM_Download1000Tickets_MariadbClient(benchmark::State& state)
{
    Unit1 unit(0, false);
    const QString list = CloudColumns::DownloadSelectList(CloudKind::Tickets);
    for (auto _ : state) {
        seedInbox(unit.cloud->UniConnectionCloud);
        QProcess p;
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        e.insert(QStringLiteral("MYSQL_PWD"), kPassword);
        p.setProcessEnvironment(e);
        p.start(QStringLiteral("bash"), {QStringLiteral(KV_SOURCE_DIR "/bench/download_floor.sh"), env("KV_TEST_MYSQL_HOST"),
                                         env("KV_TEST_MYSQL_PORT"), KVCloud::PrefixedAccountName(kCompany), QStringLiteral("kv1"),
                                         QString::number(std::min(unit.cloud->downloadBatch, KVCloud::FirstBatch)),
                                         QString::number(unit.cloud->downloadBatch), list});
        p.waitForFinished(120000);
        const QByteArray out = p.readAllStandardOutput().trimmed();
        if (p.exitCode() != 0 || !out.startsWith("ms=")) {
            state.SkipWithError("download_floor.sh failed");
            std::fprintf(stderr, "%s\n", p.readAllStandardError().constData());
            break;
        }
        state.SetIterationTime(out.mid(3).toDouble() / 1000.0);
    }
}

} // namespace

// A signed ticket stored by unit 1 goes to the office and units 2..10 the way the editor sends
// it: written down in the outbox, pushed to each unit, crossed off. Its floor, in the same run:
// the bare fan-out of the same local row (ten pushes, no outbox).
struct SendingUnit : Unit1 {
    SendingUnit() : Unit1(1, false)
    {
        for (auto& slot : g.SyncDevs())
            slot.actief = true;
        g.CloudSyncEnabled = true;
        g.BonTable().First();
        id = g.BonTable().AsString(QStringLiteral("id"));
    }
    QString id;
};

void BM_SendSignedTicketThroughOutbox(benchmark::State& state)
{
    SendingUnit unit;
    for (auto _ : state)
        if (!unit.cloud->Outbox().Send(CloudKind::Tickets, unit.id))
            state.SkipWithError("not sent");
    emptyInboxes(unit.cloud->UniConnectionCloud);
}

void BM_SendSignedTicketThroughOutbox_BareFanOut(benchmark::State& state)
{
    SendingUnit unit;
    for (auto _ : state)
        unit.cloud->FanOut(CloudKind::Tickets, unit.g.BonTable());
    emptyInboxes(unit.cloud->UniConnectionCloud);
}

BENCHMARK(BM_Download1000Tickets)->Apply(downloadArgs)->UseRealTime();
BENCHMARK(BM_Download1000Tickets_MariadbClient)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_FanOutSignedTicketTo10Units)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_FanOutSignedTicketTo10Units_MariadbClient)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_SendSignedTicketThroughOutbox)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_SendSignedTicketThroughOutbox_BareFanOut)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_MariadbClientStartOnly)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10)->Repetitions(5)->ReportAggregatesOnly(true);

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (provision({QStringLiteral("--units"), QStringLiteral("10")}) != 0)
        return 2;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    provision({QStringLiteral("--drop")});
    return 0;
}
