// Opening a list page, changing its sort key and one keystroke in its search field, on lists
// of the sizes a busy firm reaches and on lists a tenth of that size. Each measurement includes
// painting the visible rows of the grid, since that is where a lazy model reads its rows; the
// keystroke is also measured without the paint. Beside them their floors, in the same run: the
// bare sqlite3 C API doing the search's seek, and a plain QTableView painting the same screenful.
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
#include <QHeaderView>
#include <QStandardItemModel>
#include <QTableView>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <memory>
#include <sqlite3.h>

namespace {

// Two stores: the busy firm of the speed issue and one a tenth of its size, so that a figure
// that grows with the store shows as the difference between the two.
struct Scale {
    int parts, clients, tickets;
};
constexpr Scale kScales[] = {{10000, 2000, 2000}, {100000, 20000, 20000}};

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
void createDatabase(const QString& path, const Scale& scale)
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
        for (int i = 0; i < scale.parts; ++i) {
            q.addBindValue(QStringLiteral("LMKVbenchP%1").arg(i, 5, 36, QLatin1Char('0')));
            q.addBindValue(QString::number(r.bounded(100000, 999999)));
            q.addBindValue(randomKey(r));
            q.addBindValue(r.bounded(10000) / 100.0);
            q.exec();
        }
        q.prepare(QStringLiteral("INSERT INTO opdrachtgever (id, naam, contactpers, email) VALUES (?, ?, ?, ?)"));
        for (int i = 0; i < scale.clients; ++i) {
            q.addBindValue(QStringLiteral("LMKVbenchC%1").arg(i, 5, 36, QLatin1Char('0')));
            q.addBindValue(randomKey(r));
            q.addBindValue(randomKey(r));
            q.addBindValue(QStringLiteral("info%1@example.com").arg(i));
            q.exec();
        }
        q.prepare(QStringLiteral("INSERT INTO bon (id, bonnr, datum, opdrachtgever) VALUES (?, ?, ?, ?)"));
        for (int i = 0; i < scale.tickets; ++i) {
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
    explicit Fixture(const Scale& scale)
    {
        createDatabase(dir.path() + QStringLiteral("/kolvarn.db3"), scale);
        g = std::make_unique<KVGlobal>(Edition::Dutch, dir.path());
        OpenDatabase(*g);
        if (!g->db().IsOpen())
            qFatal("the benchmark database did not open");
        // The floor's own connection to the same file, through the bare C API.
        if (sqlite3_open_v2(qPrintable(dir.path() + QStringLiteral("/kolvarn.db3")), &raw, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
            qFatal("sqlite3_open_v2 failed");
        sqlite3_exec(raw, "PRAGMA cache_size = -32768", nullptr, nullptr, nullptr);
    }
    ~Fixture() { sqlite3_close(raw); }
    QTemporaryDir dir;
    std::unique_ptr<KVGlobal> g;
    sqlite3* raw = nullptr;
};

Fixture& fixture(int scale)
{
    static Fixture small(kScales[0]);
    static Fixture large(kScales[1]);
    return scale == 0 ? small : large;
}

enum ListKind { Parts, Clients, Tickets };

Table& tableOf(ListKind k, int scale)
{
    KVGlobal& g = *fixture(scale).g;
    return k == Parts ? g.OnderdeelTable() : k == Clients ? g.OpdrachtgeverTable() : g.BonTable();
}

// The order each list has when the program starts, before any header click.
QString ownOrder(ListKind k) { return k == Parts ? QStringLiteral("omschr") : k == Clients ? QStringLiteral("naam") : QStringLiteral("bonnr"); }
const char* tableName(ListKind k) { return k == Parts ? "onderdeel" : k == Clients ? "opdrachtgever" : "bon"; }

QList<GridColumn> columnsOf(ListKind k)
{
    return k == Parts ? PartCatalogue::GridColumns() : k == Clients ? ClientCatalogue::GridColumns() : TicketOverview::GridColumns();
}

constexpr int kGridWidth = 420, kGridHeight = 620;

// A grid of the size of the window's list page, painted once.
struct Grid {
    Grid(ListKind k, int scale)
        : model(tableOf(k, scale), columnsOf(k), fixture(scale).g->jargon), view(QStringLiteral("FNCGridBench"), &model)
    {
        view.resize(kGridWidth, kGridHeight);
    }
    void paint() { benchmark::DoNotOptimize(view.grab()); }
    CursorModel model;
    CursorGridView view;
};

// The list in its own order, on its first row, as the user finds it.
void resetList(ListKind kind, int scale)
{
    Table& t = tableOf(kind, scale);
    t.SetSortColumn(ownOrder(kind));
    t.First();
}

// The keystrokes of typing a few keys of the list, one character at a time.
QStringList keystrokes()
{
    QRandomGenerator r(7);
    QStringList strokes;
    for (int i = 0; i < 50; ++i) {
        const QString key = randomKey(r);
        for (int n = 1; n <= key.size(); ++n)
            strokes << key.left(n);
    }
    return strokes;
}

void counters(benchmark::State& state, ListKind kind, int scale)
{
    state.counters["rows"] = tableOf(kind, scale).RecordCount();
}

void BM_ListOpen(benchmark::State& state)
{
    const auto kind = ListKind(state.range(0));
    const int scale = int(state.range(1));
    resetList(kind, scale);
    for (auto _ : state) {
        Grid grid(kind, scale);
        grid.paint();
    }
    counters(state, kind, scale);
}

void BM_SortChange(benchmark::State& state)
{
    const auto kind = ListKind(state.range(0));
    const int scale = int(state.range(1));
    resetList(kind, scale);
    Grid grid(kind, scale);
    grid.paint();
    int section = 0;
    for (auto _ : state) {
        section = section == 0 ? 1 : 0;
        grid.model.HeaderClick(section);
        grid.paint();
    }
    resetList(kind, scale);
    counters(state, kind, scale);
}

// The first click on a column's header after the list came up: the orders were learnt in the
// pause after the list was shown (BM_LearnOrders), so the click costs what later ones do.
void BM_FirstSortChange(benchmark::State& state)
{
    const auto kind = ListKind(state.range(0));
    const int scale = int(state.range(1));
    resetList(kind, scale);
    Grid grid(kind, scale);
    for (auto _ : state) {
        state.PauseTiming();
        resetList(kind, scale);
        tableOf(kind, scale).Refresh(); // forgets every order learnt so far
        grid.view.hide();
        grid.view.show();
        QCoreApplication::processEvents(); // the pause after the list came up
        grid.paint();
        state.ResumeTiming();
        grid.model.HeaderClick(kind == Parts ? 0 : 1); // the column the list is not ordered by
        grid.paint();
    }
    grid.view.hide();
    resetList(kind, scale);
    counters(state, kind, scale);
}

// What that pause costs once per list and start: one pass over the index of each column the
// list can be ordered by, keys and rowids only.
void BM_LearnOrders(benchmark::State& state)
{
    const auto kind = ListKind(state.range(0));
    const int scale = int(state.range(1));
    resetList(kind, scale);
    Grid grid(kind, scale);
    for (auto _ : state) {
        state.PauseTiming();
        tableOf(kind, scale).Refresh();
        state.ResumeTiming();
        grid.model.PrepareOrders();
    }
    resetList(kind, scale);
    counters(state, kind, scale);
}

// Keystrokes in the search field, in the list's own order: the search moves the cursor and
// the grid asks where it is; with paint, the grid follows and paints as the user sees it.
void searchKeystrokes(benchmark::State& state, bool paint)
{
    const auto kind = ListKind(state.range(0));
    const int scale = int(state.range(1));
    resetList(kind, scale);
    Grid grid(kind, scale);
    grid.paint();
    const QStringList strokes = keystrokes();
    int i = 0;
    for (auto _ : state) {
        grid.model.Search(strokes[i++ % strokes.size()]);
        if (paint)
            grid.paint();
        else
            benchmark::DoNotOptimize(grid.model.CurrentRow());
    }
    resetList(kind, scale);
    counters(state, kind, scale);
}

// One keystroke as the user has it.
void BM_SearchKeystroke(benchmark::State& state) { searchKeystrokes(state, true); }

// The search half of a keystroke: the row found and its position known; nothing painted.
void BM_SearchOnly(benchmark::State& state) { searchKeystrokes(state, false); }

// Floor of the search half: the bare sqlite3 C API seeking the first row whose key is not
// smaller, on the same file and index, and reading the row's columns.
void BM_SearchOnly_SqliteFloor(benchmark::State& state)
{
    const auto kind = ListKind(state.range(0));
    const int scale = int(state.range(1));
    sqlite3* raw = fixture(scale).raw;
    const QByteArray key = ownOrder(kind).toUtf8();
    const QByteArray sql = "SELECT rowid, * FROM " + QByteArray(tableName(kind)) + " WHERE " + key + " >= ? ORDER BY " + key +
                           ", rowid LIMIT 1";
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(raw, sql.constData(), -1, &stmt, nullptr) != SQLITE_OK)
        qFatal("%s", sqlite3_errmsg(raw));
    QList<QByteArray> strokes;
    for (const QString& s : keystrokes())
        strokes << s.toUtf8();
    int i = 0;
    for (auto _ : state) {
        const QByteArray& text = strokes[i++ % strokes.size()];
        sqlite3_bind_text(stmt, 1, text.constData(), int(text.size()), SQLITE_STATIC);
        if (sqlite3_step(stmt) == SQLITE_ROW)
            for (int c = 0, n = sqlite3_column_count(stmt); c < n; ++c)
                benchmark::DoNotOptimize(sqlite3_column_text(stmt, c));
        sqlite3_reset(stmt);
    }
    sqlite3_finalize(stmt);
}

// Floor of the whole keystroke: a plain QTableView over the same columns, the rows already in
// memory, moving to a row and painting the same screenful.
void BM_SearchKeystroke_QTableViewFloor(benchmark::State& state)
{
    const auto kind = ListKind(state.range(0));
    const int scale = int(state.range(1));
    Table& t = tableOf(kind, scale);
    resetList(kind, scale);
    const QList<GridColumn> cols = columnsOf(kind);
    constexpr int kRows = 2000;
    QStandardItemModel model(kRows, int(cols.size()));
    for (int r = 0; r < kRows; ++r)
        for (int c = 0; c < cols.size(); ++c)
            model.setItem(r, c, new QStandardItem(t.ValueAt(r, cols[c].field).toString()));
    for (int c = 0; c < cols.size(); ++c)
        model.setHeaderData(c, Qt::Horizontal, cols[c].header);
    QTableView view;
    view.setModel(&model);
    view.setSelectionBehavior(QAbstractItemView::SelectRows);
    view.setWordWrap(false);
    view.setAlternatingRowColors(true);
    view.verticalHeader()->hide();
    view.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view.verticalHeader()->setDefaultSectionSize(view.fontMetrics().height() * 2);
    view.resize(kGridWidth, kGridHeight);
    QRandomGenerator r(7);
    for (auto _ : state) {
        const QModelIndex index = model.index(int(r.bounded(kRows)), 0);
        view.selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        view.scrollTo(index);
        benchmark::DoNotOptimize(view.grab());
    }
}

void kinds(benchmark::internal::Benchmark* b)
{
    b->ArgNames({"list", "large"});
    for (int scale : {0, 1})
        for (int kind : {Parts, Clients, Tickets})
            b->Args({kind, scale});
    b->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
}

void partsOnly(benchmark::internal::Benchmark* b)
{
    b->ArgNames({"list", "large"})->Args({Parts, 0})->Args({Parts, 1});
    b->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);
}

} // namespace

BENCHMARK(BM_ListOpen)->Apply(kinds);
BENCHMARK(BM_SortChange)->Apply(kinds);
BENCHMARK(BM_FirstSortChange)->Apply(kinds);
BENCHMARK(BM_LearnOrders)->Apply(kinds);
BENCHMARK(BM_SearchKeystroke)->Apply(kinds);
BENCHMARK(BM_SearchOnly)->Apply(partsOnly);
BENCHMARK(BM_SearchOnly_SqliteFloor)->Apply(partsOnly);
BENCHMARK(BM_SearchKeystroke_QTableViewFloor)->Apply(partsOnly);

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    fixture(0);
    fixture(1);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
