// The office report over 20 000 stored tickets: the sums per client and month of one month and
// of the whole five years, as the report page shows them, beside the same aggregate statement
// run through the bare sqlite3 C API.
//
//   bench_report [--benchmark_filter=...]
//
// BM_ReportPage is the user's path: the page of the window recomputes the report for the
// period of its controls, rebuilds the chart and the table and paints itself. BM_ReportCompute
// is the report alone, BM_ReportFloor the statement alone, prepared once as a program would.
#include "app/KVApplication.h"
#include "app/KVGlobal.h"
#include "app/TFMain.h"
#include "office/ReportPage.h"
#include "office/TicketFigures.h"
#include "office/TicketReport.h"
#include "store/LocalStore.h"

#include <QDateEdit>
#include <QFile>
#include <QTabBar>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <memory>
#include <sqlite3.h>

namespace {

constexpr int kTickets = 20000;

void Fail(const QString& what) { qFatal("%s", qPrintable(what)); }

void Exec(sqlite3* db, const QByteArray& sql)
{
    char* error = nullptr;
    if (sqlite3_exec(db, sql.constData(), nullptr, nullptr, &error) != SQLITE_OK)
        Fail(QString::fromUtf8(error));
}

// 20 000 signed tickets over 2020-2024 for 200 clients, with hours of each kind on two days,
// distance, rates and two used parts lines: every figure of the report has something to add.
const char* const kFill = R"(
BEGIN;
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 20000)
INSERT INTO bon (id, bonnr, datum, opdrachtgever, werklocatie, werk1, werk2, over1, reis1, reis2, km1, km2,
                 uurprijswerk, uurprijsover, uurprijsreis, kmprijs, percob, autocomp, prijsinc, numodd,
                 bestelnr1, aantal1, omschr1, prijs1, bestelnr2, aantal2, omschr2, prijs2, ondertekend)
  SELECT printf('LMKVT%010d', i), printf('%d-%d', 1 + i % 10, 20200000 + i),
         printf('%02d-%02d-%d', 1 + i % 28, 1 + (i / 28) % 12, 2020 + (i / 336) % 5),
         printf('Klant %03d', (i * 7919) % 200), printf('Straat %d, Plaats', i % 999),
         4 + i % 5, 0.5 * (i % 9), (i % 4) * 0.25, 0.5, 0.25 * (i % 3), 10 + i % 60, i % 15,
         52.5, 68.25, 45, 0.35, 21, 1, i % 7 = 0, 2,
         'F-100', 1 + i % 3, 'filter', 14.95, 'K-22', 2, 'koppeling', 3.4, 1 FROM n;
COMMIT;
)";

struct Store {
    QTemporaryDir temp;
    QString folder() const { return temp.path() + QLatin1Char('/'); }
};

Store& TheStore()
{
    // Kept to the end of the program, when its folder goes.
    static const std::unique_ptr<Store> s = [] {
        auto store = std::make_unique<Store>();
        const QString path = store->folder() + QStringLiteral("kolvarn.db3");
        QFile schema(QStringLiteral(KV_SOURCE_DIR "/resources/schema.sql"));
        if (!schema.open(QIODevice::ReadOnly))
            Fail(QStringLiteral("schema.sql not found"));
        sqlite3* db = nullptr;
        if (sqlite3_open(QFile::encodeName(path).constData(), &db) != SQLITE_OK)
            Fail(QStringLiteral("cannot create the store"));
        Exec(db, schema.readAll());
        sqlite3_close(db);
        {
            // The program's own upgrade first: its added columns, the date index.
            KVGlobal g(Edition::Dutch, store->folder());
            g.seams.showMessage = [](const QString& text) { Fail(text); };
            if (!OpenDatabase(g))
                Fail(QStringLiteral("open failed"));
        }
        sqlite3_open(QFile::encodeName(path).constData(), &db);
        Exec(db, kFill);
        Exec(db, "ANALYZE");
        sqlite3_close(db);
        // No cloud account; the start-up connection attempt goes to a closed port on loopback.
        QFile ini(store->folder() + QStringLiteral("kvrn.ini"));
        if (!ini.open(QIODevice::WriteOnly) || ini.write("[CLOUD]\nServer=127.0.0.1:9\n") < 0)
            Fail(QStringLiteral("cannot write kvrn.ini"));
        return store;
    }();
    return *s;
}

// Arg 0: March 2022 (333 tickets), 1: 2020-2024 (all 20 000).
ReportPeriod PeriodOf(const benchmark::State& state)
{
    return state.range(0) == 0 ? ReportPeriod{QDate(2022, 3, 1), QDate(2022, 3, 31)}
                               : ReportPeriod{QDate(2020, 1, 1), QDate(2024, 12, 31)};
}

void Label(benchmark::State& state, int tickets, double sum)
{
    state.SetLabel(QStringLiteral("%1, %2 tickets, work %3 h")
                       .arg(state.range(0) == 0 ? QStringLiteral("month") : QStringLiteral("5 years"))
                       .arg(tickets)
                       .arg(sum)
                       .toStdString());
}

void BM_ReportPage(benchmark::State& state)
{
    Store& s = TheStore();
    TFMain window(s.folder(), Edition::Dutch, [](KVGlobal& g) { g.seams.showMessage = [](const QString& text) { Fail(text); }; });
    window.resize(1024, 768);
    window.show();
    ReportPage* page = window.Report();
    page->ListBoxItemRapportClick();
    const ReportPeriod period = PeriodOf(state);
    page->from()->setDate(period.from);
    page->to()->setDate(period.to);
    page->periods()->setCurrentIndex(3); // the range of the two dates
    QCoreApplication::processEvents();
    for (auto _ : state) {
        page->Refresh();
        page->repaint();
    }
    Label(state, page->report().totals.tickets, page->report().totals.work);
}
BENCHMARK(BM_ReportPage)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_ReportCompute(benchmark::State& state)
{
    Store& s = TheStore();
    KVGlobal g(Edition::Dutch, s.folder());
    if (!OpenDatabase(g))
        Fail(QStringLiteral("open failed"));
    const ReportPeriod period = PeriodOf(state);
    TicketReportData report;
    for (auto _ : state) {
        report = TicketReport::Compute(g, period);
        benchmark::DoNotOptimize(report.totals.totalInc);
    }
    Label(state, report.totals.tickets, report.totals.work);
}
BENCHMARK(BM_ReportCompute)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_ReportFloor(benchmark::State& state)
{
    Store& s = TheStore();
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(s.folder() + QStringLiteral("kolvarn.db3")).constData(), &db,
                        SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
        Fail(QStringLiteral("cannot open the store"));
    const QByteArray sql = TicketReport::Statement().toUtf8();
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, sql.constData(), int(sql.size()), &statement, nullptr) != SQLITE_OK)
        Fail(QString::fromUtf8(sqlite3_errmsg(db)));
    const ReportPeriod period = PeriodOf(state);
    const QByteArray from = TicketFigures::DayKeyOf(period.from).toUtf8(), to = TicketFigures::DayKeyOf(period.to).toUtf8();
    int tickets = 0;
    double work = 0;
    for (auto _ : state) {
        sqlite3_bind_text(statement, 1, from.constData(), int(from.size()), SQLITE_STATIC);
        sqlite3_bind_text(statement, 2, to.constData(), int(to.size()), SQLITE_STATIC);
        tickets = 0;
        work = 0;
        while (sqlite3_step(statement) == SQLITE_ROW) {
            tickets += sqlite3_column_int(statement, 2);
            work += sqlite3_column_double(statement, 3);
        }
        sqlite3_reset(statement);
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
    Label(state, tickets, work);
}
BENCHMARK(BM_ReportFloor)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
    KVApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
