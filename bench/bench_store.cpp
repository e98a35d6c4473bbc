// The local store at scale: a 100 000-part and a 20 000-ticket database, and the cursor
// operations the catalogue and overview grids lean on.
//
//   bench_store [--benchmark_filter=...]
//
// The database is built in a temporary folder, or in $KV_BENCH_DIR when set (it is kept there,
// so that bench/store_floor.sh can run the same queries with the sqlite3 shell).
#include "app/KVGlobal.h"
#include "store/Database.h"
#include "store/KVid.h"
#include "store/LocalStore.h"
#include "store/Table.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <memory>
#include <random>

namespace {

constexpr int kParts = 100000;
constexpr int kTickets = 20000;

const char* const kWords[] = {"buis", "bocht", "kraan", "klep", "kabel", "koppeling", "moer", "bout", "pomp", "filter",
                              "thermostaat", "radiator", "ketel", "sifon", "afdichting", "vlotter", "ventiel", "beugel"};

struct Store {
    std::unique_ptr<QTemporaryDir> temp;
    QString folder;
    std::unique_ptr<KVGlobal> g;
    QStringList partIds, ticketIds;
};

void Fail(const QString& what)
{
    qFatal("%s", qPrintable(what));
}

void Exec(QSqlQuery& q)
{
    if (!q.exec())
        Fail(q.lastError().text());
}

void InstallSchema(const QString& path)
{
    QFile schema(QStringLiteral(KV_SOURCE_DIR "/resources/schema.sql"));
    if (!schema.open(QIODevice::ReadOnly))
        Fail(QStringLiteral("schema.sql not found"));
    const QString name = QStringLiteral("bench-schema");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        if (!db.open())
            Fail(db.lastError().text());
        QString statement;
        for (const QString& line : QString::fromUtf8(schema.readAll()).split(QLatin1Char('\n'))) {
            if (line.trimmed().startsWith(QLatin1String("--")))
                continue;
            statement += line + QLatin1Char('\n');
            if (line.trimmed().endsWith(QLatin1Char(';'))) {
                QSqlQuery q(db);
                if (!q.exec(statement))
                    Fail(q.lastError().text());
                statement.clear();
            }
        }
    }
    QSqlDatabase::removeDatabase(name);
}

void UseCodes(KVGlobal& g)
{
    g.ids.IdLocation = QStringLiteral("L");
    g.ids.IdMachine = QStringLiteral("M");
    g.ids.IdUser = QStringLiteral("KV");
}

void Fill(Store& s)
{
    std::mt19937 rng(7);
    auto word = [&] { return QLatin1String(kWords[rng() % std::size(kWords)]); };
    KVGlobal& g = *s.g;
    QSqlDatabase& db = g.db().connection();
    g.db().InTransaction([&] {
        QSqlQuery q(db);
        q.prepare(QStringLiteral("INSERT INTO onderdeel (id, bestelnr, omschr, prijs, synced) VALUES (?, ?, ?, ?, 0)"));
        for (int i = 0; i < kParts; ++i) {
            const QString id = NewRecordId(g);
            s.partIds << id;
            q.bindValue(0, id);
            q.bindValue(1, QStringLiteral("%1-%2").arg(rng() % 90000 + 10000).arg(i % 97));
            q.bindValue(2, QStringLiteral("%1 %2 %3 mm").arg(word(), word()).arg(rng() % 200));
            q.bindValue(3, double(rng() % 100000) / 100.0);
            Exec(q);
        }
        QSqlQuery c(db);
        c.prepare(QStringLiteral("INSERT INTO opdrachtgever (id, naam, contactpers, email) VALUES (?, ?, ?, ?)"));
        for (int i = 0; i < 500; ++i) {
            c.bindValue(0, NewRecordId(g));
            c.bindValue(1, QStringLiteral("Klant %1").arg(i));
            c.bindValue(2, QStringLiteral("Contact %1").arg(i));
            c.bindValue(3, QStringLiteral("k%1@example.invalid").arg(i));
            Exec(c);
        }
        QSqlQuery t(db);
        t.prepare(QStringLiteral("INSERT INTO bon (id, bonnr, datum, opdrachtgever, contactpers, werklocatie, werkzh, "
                                 "werk1, werk2, km1, bestelnr1, aantal1, omschr1, prijs1, numodd, ondertekend) "
                                 "VALUES (?, ?, ?, ?, ?, ?, ?, 7.5, 8, 42, ?, 2, ?, 12.5, 1, 1)"));
        for (int i = 0; i < kTickets; ++i) {
            const QString id = NewRecordId(g);
            s.ticketIds << id;
            t.bindValue(0, id);
            t.bindValue(1, QStringLiteral("%1-%2").arg(1 + i % 10).arg(20200001 + i));
            t.bindValue(2, QStringLiteral("%1-%2-%3").arg(1 + i % 28, 2, 10, QLatin1Char('0')).arg(1 + i % 12, 2, 10, QLatin1Char('0')).arg(2020 + i % 5));
            t.bindValue(3, QStringLiteral("Klant %1").arg(rng() % 500));
            t.bindValue(4, QStringLiteral("Contact %1").arg(rng() % 500));
            t.bindValue(5, QStringLiteral("Straat %1, Plaats").arg(rng() % 999));
            t.bindValue(6, QStringLiteral("Ketel onderhouden\r\nFilter vervangen\r\n"));
            t.bindValue(7, QStringLiteral("%1-%2").arg(rng() % 90000 + 10000).arg(i % 97));
            t.bindValue(8, QStringLiteral("%1 %2").arg(word(), word()));
            Exec(t);
        }
    });
}

Store& TheStore()
{
    static Store s = [] {
        Store s;
        const QByteArray dir = qgetenv("KV_BENCH_DIR");
        if (dir.isEmpty()) {
            s.temp = std::make_unique<QTemporaryDir>();
            s.folder = s.temp->path();
        } else {
            s.folder = QString::fromLocal8Bit(dir);
            QDir().mkpath(s.folder);
            QFile::remove(s.folder + QStringLiteral("/kolvarn.db3"));
        }
        InstallSchema(s.folder + QStringLiteral("/kolvarn.db3"));
        s.g = std::make_unique<KVGlobal>(Edition::Dutch, s.folder);
        UseCodes(*s.g);
        s.g->seams.showMessage = [](const QString& text) { Fail(text); };
        if (!OpenDatabase(*s.g))
            Fail(QStringLiteral("open failed"));
        Fill(s);
        s.g->BonTable().Refresh();
        s.g->OnderdeelTable().Refresh();
        return s;
    }();
    return s;
}

Table& Cursor(Store& s, int which) { return which == 0 ? s.g->OnderdeelTable() : s.g->BonTable(); }
const QStringList& Ids(Store& s, int which) { return which == 0 ? s.partIds : s.ticketIds; }
void Label(benchmark::State& state) { state.SetLabel(state.range(0) == 0 ? "100k parts" : "20k tickets"); }

// The start-up sequence on a fresh state object: connect, check the 43 columns and the indexes,
// open the three cursors, scan for identifiers to repair and descriptions to migrate.
void BM_OpenDatabase(benchmark::State& state)
{
    Store& s = TheStore();
    for (auto _ : state) {
        KVGlobal g(Edition::Dutch, s.folder);
        UseCodes(g);
        if (!OpenDatabase(g))
            Fail(QStringLiteral("open failed"));
        benchmark::DoNotOptimize(g.OnderdeelTable().RecordCount());
    }
}
BENCHMARK(BM_OpenDatabase)->Unit(benchmark::kMillisecond);

// Opening one cursor and asking its row count, as a grid does first.
void BM_OpenCursor(benchmark::State& state)
{
    Store& s = TheStore();
    Label(state);
    const bool parts = state.range(0) == 0;
    for (auto _ : state) {
        Table t(s.g->db(), parts ? QStringLiteral("onderdeel") : QStringLiteral("bon"), parts ? QStringLiteral("omschr") : QStringLiteral("bonnr"));
        t.Open();
        benchmark::DoNotOptimize(t.RecordCount());
    }
}
BENCHMARK(BM_OpenCursor)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// A grid header click: another sort column, the current row kept, its new position, and the
// 20 rows around it that a grid then shows.
void BM_SortChange(benchmark::State& state)
{
    Store& s = TheStore();
    Label(state);
    Table& t = Cursor(s, int(state.range(0)));
    const QStringList keys = state.range(0) == 0 ? QStringList{"bestelnr", "omschr"} : QStringList{"opdrachtgever", "datum", "bonnr"};
    t.MoveTo(t.RecordCount() / 3);
    int k = 0;
    for (auto _ : state) {
        t.SetSortColumn(keys[k++ % keys.size()]);
        const int p = t.RecNo();
        for (int i = std::max(0, p - 10); i < p + 10; ++i)
            benchmark::DoNotOptimize(t.ValueAt(i, 1));
    }
    t.SetSortColumn(keys.last());
}
BENCHMARK(BM_SortChange)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// One keystroke in a search field: nearest key, its position, and the rows around it.
void BM_FindNearest(benchmark::State& state)
{
    Store& s = TheStore();
    Label(state);
    Table& t = Cursor(s, int(state.range(0)));
    std::mt19937 rng(11);
    for (auto _ : state) {
        const QString text = state.range(0) == 0 ? QLatin1String(kWords[rng() % std::size(kWords)]) + QStringLiteral(" k")
                                                 : QStringLiteral("%1-2020%2").arg(1 + rng() % 10).arg(rng() % 9999, 4, 10, QLatin1Char('0'));
        t.FindNearest(text);
        const int p = t.RecNo();
        for (int i = std::max(0, p - 10); i < p + 10; ++i)
            benchmark::DoNotOptimize(t.ValueAt(i, 1));
    }
}
BENCHMARK(BM_FindNearest)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// Locating a record by its identifier (loading a ticket, merging a downloaded row).
void BM_LocateId(benchmark::State& state)
{
    Store& s = TheStore();
    Label(state);
    Table& t = Cursor(s, int(state.range(0)));
    const QStringList& ids = Ids(s, int(state.range(0)));
    std::mt19937 rng(13);
    for (auto _ : state)
        if (!t.Locate(QStringLiteral("id"), ids[int(rng() % unsigned(ids.size()))]))
            Fail(QStringLiteral("id not found"));
}
BENCHMARK(BM_LocateId)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// A new record through the cursor: new-row event (identifier), a few columns, post. Each post
// is its own transaction on disk, as in the program.
void BM_AppendPost(benchmark::State& state)
{
    Store& s = TheStore();
    Label(state);
    Table& t = Cursor(s, int(state.range(0)));
    const bool parts = state.range(0) == 0;
    int n = 0;
    for (auto _ : state) {
        t.Append();
        if (parts) {
            t.SetString(QStringLiteral("bestelnr"), QStringLiteral("N-%1").arg(n));
            t.SetString(QStringLiteral("omschr"), QStringLiteral("nieuw onderdeel %1").arg(n));
            t.SetFloat(QStringLiteral("prijs"), 1.25);
        } else {
            t.SetString(QStringLiteral("bonnr"), QStringLiteral("9-%1").arg(30000000 + n));
            t.SetString(QStringLiteral("datum"), QStringLiteral("15-02-2021"));
            t.SetString(QStringLiteral("opdrachtgever"), QStringLiteral("Klant 1"));
            t.SetString(QStringLiteral("werkzh"), QStringLiteral("Ketel onderhouden\r\n"));
        }
        t.Post();
        ++n;
    }
}
BENCHMARK(BM_AppendPost)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// Every row from the first to the end, as the start-up repairs once walked the tables.
void BM_WalkAll(benchmark::State& state)
{
    Store& s = TheStore();
    Label(state);
    Table& t = Cursor(s, int(state.range(0)));
    for (auto _ : state) {
        int rows = 0;
        for (t.First(); !t.Eof(); t.Next())
            ++rows;
        benchmark::DoNotOptimize(rows);
    }
}
BENCHMARK(BM_WalkAll)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
