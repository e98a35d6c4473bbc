// Opening a list page, changing its sort key and one keystroke in its search field, on lists
// of the sizes a busy firm reaches. Each measurement includes painting the visible rows of the
// grid, since that is where a lazy model reads its rows.
#include "app/KVGlobal.h"
#include "catalogue/ClientCatalogue.h"
#include "catalogue/CursorModel.h"
#include "catalogue/PartCatalogue.h"
#include "catalogue/TicketOverview.h"
#include "catalogue/CursorGrid.h"
#include "store/Database.h"
#include "store/LocalStore.h"
#include "store/Table.h"

#include <QApplication>
#include <QFile>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <memory>

namespace {

constexpr int kParts = 100000, kClients = 20000, kTickets = 50000;

const char* const kWords[] = {"Bocht", "Knie", "T-stuk", "Afsluiter", "Kogelkraan", "Pomp", "Filter", "Flens",
                              "Koppeling", "Verloop", "Sok", "Klem", "Beugel", "Isolatie", "Kraan", "Ventiel"};

QString randomKey(QRandomGenerator& r)
{
    return QStringLiteral("%1 %2 %3").arg(QLatin1String(kWords[r.bounded(16)])).arg(r.bounded(10, 1000)).arg(
        QChar(u'A' + r.bounded(26)));
}

void exec(QSqlDatabase& db, const QString& sql)
{
    QSqlQuery q(db);
    if (!q.exec(sql))
        qFatal("%s", qPrintable(q.lastError().text()));
}

// kolvarn.db3 of the installed form, filled with the three lists.
void createDatabase(const QString& path)
{
    QFile schema(QStringLiteral(KV_SOURCE_DIR "/resources/schema.sql"));
    schema.open(QIODevice::ReadOnly);
    const QString name = QStringLiteral("bench-fill");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        db.open();
        QString statement;
        for (const QString& line : QString::fromUtf8(schema.readAll()).split(QLatin1Char('\n'))) {
            if (line.trimmed().startsWith(QLatin1String("--")))
                continue;
            statement += line + QLatin1Char('\n');
            if (line.trimmed().endsWith(QLatin1Char(';'))) {
                exec(db, statement);
                statement.clear();
            }
        }
        QRandomGenerator r(20210215);
        db.transaction();
        QSqlQuery q(db);
        q.prepare(QStringLiteral("INSERT INTO onderdeel (id, bestelnr, omschr, prijs) VALUES (?, ?, ?, ?)"));
        for (int i = 0; i < kParts; ++i) {
            q.addBindValue(QStringLiteral("LMKVbenchP%1").arg(i, 5, 36, QLatin1Char('0')));
            q.addBindValue(QString::number(r.bounded(100000, 999999)));
            q.addBindValue(randomKey(r));
            q.addBindValue(r.bounded(10000) / 100.0);
            q.exec();
        }
        q.prepare(QStringLiteral("INSERT INTO opdrachtgever (id, naam, contactpers, email) VALUES (?, ?, ?, ?)"));
        for (int i = 0; i < kClients; ++i) {
            q.addBindValue(QStringLiteral("LMKVbenchC%1").arg(i, 5, 36, QLatin1Char('0')));
            q.addBindValue(randomKey(r));
            q.addBindValue(randomKey(r));
            q.addBindValue(QStringLiteral("info%1@example.com").arg(i));
            q.exec();
        }
        q.prepare(QStringLiteral("INSERT INTO bon (id, bonnr, datum, opdrachtgever) VALUES (?, ?, ?, ?)"));
        for (int i = 0; i < kTickets; ++i) {
            q.addBindValue(QStringLiteral("LMKVbenchT%1").arg(i, 5, 36, QLatin1Char('0')));
            q.addBindValue(QStringLiteral("1-%1").arg(20200001 + i));
            q.addBindValue(QStringLiteral("%1-%2-2021").arg(r.bounded(1, 29), 2, 10, QLatin1Char('0')).arg(r.bounded(1, 13), 2, 10, QLatin1Char('0')));
            q.addBindValue(randomKey(r));
            q.exec();
        }
        db.commit();
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

struct Fixture {
    Fixture()
    {
        createDatabase(dir.path() + QStringLiteral("/kolvarn.db3"));
        g = std::make_unique<KVGlobal>(Edition::Dutch, dir.path());
        OpenDatabase(*g);
        if (!g->db().IsOpen())
            qFatal("the benchmark database did not open");
    }
    QTemporaryDir dir;
    std::unique_ptr<KVGlobal> g;
};

Fixture& fixture()
{
    static Fixture f;
    return f;
}

enum ListKind { Parts, Clients, Tickets };

Table& tableOf(ListKind k)
{
    KVGlobal& g = *fixture().g;
    return k == Parts ? g.OnderdeelTable() : k == Clients ? g.OpdrachtgeverTable() : g.BonTable();
}

QList<GridColumn> columnsOf(ListKind k)
{
    return k == Parts ? PartCatalogue::GridColumns() : k == Clients ? ClientCatalogue::GridColumns() : TicketOverview::GridColumns();
}

// A grid of the size of the window's list page, painted once.
struct Grid {
    explicit Grid(ListKind k)
        : model(tableOf(k), columnsOf(k), fixture().g->jargon), view(QStringLiteral("FNCGridBench"), &model)
    {
        view.resize(420, 620);
    }
    void paint() { benchmark::DoNotOptimize(view.grab()); }
    CursorModel model;
    CursorGridView view;
};

void BM_ListOpen(benchmark::State& state)
{
    const auto kind = ListKind(state.range(0));
    tableOf(kind).First();
    for (auto _ : state) {
        Grid grid(kind);
        grid.paint();
    }
    state.counters["rows"] = tableOf(kind).RecordCount();
}

void BM_SortChange(benchmark::State& state)
{
    const auto kind = ListKind(state.range(0));
    Grid grid(kind);
    grid.paint();
    int section = 0;
    for (auto _ : state) {
        section = section == 0 ? 1 : 0;
        grid.model.HeaderClick(section);
        grid.paint();
    }
    grid.model.HeaderClick(0);
}

void BM_SearchKeystroke(benchmark::State& state)
{
    const auto kind = ListKind(state.range(0));
    Grid grid(kind);
    grid.paint();
    // The keystrokes of typing a few keys of the list, one character at a time.
    QRandomGenerator r(7);
    QStringList strokes;
    for (int i = 0; i < 50; ++i) {
        const QString key = randomKey(r);
        for (int n = 1; n <= key.size(); ++n)
            strokes << key.left(n);
    }
    int i = 0;
    for (auto _ : state) {
        grid.model.Search(strokes[i++ % strokes.size()]);
        grid.paint();
    }
}

void kinds(benchmark::internal::Benchmark* b)
{
    b->ArgName("list")->Arg(Parts)->Arg(Clients)->Arg(Tickets);
    b->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);
}

} // namespace

BENCHMARK(BM_ListOpen)->Apply(kinds);
BENCHMARK(BM_SortChange)->Apply(kinds);
BENCHMARK(BM_SearchKeystroke)->Apply(kinds);

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    fixture();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
