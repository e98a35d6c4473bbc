#include "OfficeTickets.h"
#include "app/Language.h"
#include "document/PdfExport.h"
#include "document/Sheet.h"
#include "office/ReportDocument.h"
#include "office/TicketFigures.h"
#include "office/TicketReport.h"
#include "store/Database.h"

#include <QFile>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>

using namespace office;

namespace {

// Tickets of three clients in February and March 2021, and some that belong to no period of
// March: one of April, one without a date, one whose date is written year first.
struct ReportTickets : StoreApp {
    ReportTickets()
    {
        ApplyLanguageIndex(*g, g->settings.branche.taal);
        auto add = [this](const char* datum, const char* client, double work, double overtime, int km,
                          QList<TOnderdeel> used = {}, bool prijsinc = false, bool autocomp = true) {
            TicketSpec s;
            s.datum = QLatin1String(datum);
            s.client = QString::fromUtf8(client);
            s.work = work;
            s.overtime = overtime;
            s.travel = 0.25;
            s.km = km;
            s.used = used;
            s.needed = {Part(QStringLiteral("N"), 3, 99)}; // never counted
            s.prijsinc = prijsinc;
            s.autocomp = autocomp;
            const QString id = StoreTicket(*g, s);
            if (QByteArray(datum).endsWith("-03-2021") && QByteArray(datum).size() == 10)
                march << id;
            return id;
        };
        add("01-03-2021", "Bakker", 8, 1, 20, {Part("A", 2, 12.5)});
        add("15-03-2021", "Bakker", 7.5, 0, 10, {}, true);
        add("31-03-2021", "Bakker", 4, 0, 0, {}, false, false);
        add("03-03-2021", "Müller & Zn", 6.25, 2, 35, {Part("B", 1, 80), Part("C", 4, 2.5)});
        add("20-03-2021", "", 1, 0, 0);
        add("28-02-2021", "Bakker", 8, 0, 50);
        add("01-04-2021", "Bakker", 8, 0, 50);
        add("", "Bakker", 8, 0, 50);
        add("2021-03-10", "Bakker", 8, 0, 50);
    }
    QStringList march;
};

const ReportPeriod kMarch{QDate(2021, 3, 1), QDate(2021, 3, 31)};

} // namespace

TEST(TicketReport, SumsPerMonthAndClientMatchTheTicketsDocuments)
{
    ReportTickets app;
    const TicketReportData report = TicketReport::Compute(*app.g, kMarch);
    ASSERT_EQ(report.rows.size(), 3);
    EXPECT_EQ(report.rows[0].client, "");
    EXPECT_EQ(report.rows[1].client, "Bakker");
    EXPECT_EQ(report.rows[2].client, QString::fromUtf8("Müller & Zn"));
    EXPECT_EQ(report.rows[1].month, "2021-03");
    EXPECT_EQ(report.rows[1].tickets, 3);
    EXPECT_EQ(report.totals.tickets, 5);

    // The same figures, ticket by ticket, from the documents of the tickets themselves.
    DocumentTotals sum;
    for (const QString& id : app.march) {
        const DocumentTotals t = TotalsOf(*app.g, id);
        sum.work += t.work;
        sum.overtime += t.overtime;
        sum.travel += t.travel;
        sum.km += t.km;
        if (app.g->bon.autocomp) { // a document without computed amounts shows none
            sum.ex += t.ex;
            sum.vat += t.vat;
            sum.inc += t.inc;
        }
    }
    const ReportRow& total = report.totals;
    EXPECT_DOUBLE_EQ(total.work, sum.work);
    EXPECT_DOUBLE_EQ(total.overtime, sum.overtime);
    EXPECT_DOUBLE_EQ(total.travel, sum.travel);
    EXPECT_EQ(total.distance, qint64(sum.km));
    EXPECT_NEAR(total.totalEx, sum.ex, 1e-9);
    EXPECT_NEAR(total.vat, sum.vat, 1e-9);
    EXPECT_NEAR(total.totalInc, sum.inc, 1e-9);

    // Bakker: 2 x 8 + 2 x 7.5 + 2 x 4 hours; amounts of the first (plus parts) and of the
    // second (VAT included), none of the third.
    const ReportRow& bakker = report.rows[1];
    EXPECT_DOUBLE_EQ(bakker.work, 39);
    const double first = 16 * 45 + 2 * 60 + 0.5 * 40 + 40 * 0.35 + 25; // 899.00 ex
    const double second = 15 * 45 + 0.5 * 40 + 20 * 0.35;               // 702.00 inc
    EXPECT_NEAR(bakker.totalEx, first + second / 1.21, 1e-9);
    EXPECT_NEAR(bakker.totalInc, first * 1.21 + second, 1e-9);
}

TEST(TicketReport, MonthsOfALongerPeriodAreRowsOfTheirOwn)
{
    ReportTickets app;
    const TicketReportData report = TicketReport::Compute(*app.g, {QDate(2021, 2, 1), QDate(2021, 4, 30)});
    QStringList keys;
    for (const ReportRow& r : report.rows)
        keys << r.month + QLatin1Char('/') + r.client;
    EXPECT_EQ(keys, QStringList({"2021-02/Bakker", "2021-03/", "2021-03/Bakker", QString::fromUtf8("2021-03/Müller & Zn"),
                                 "2021-04/Bakker"}));
    EXPECT_EQ(TicketReport::MonthText(*app.g, "2021-03"), "mrt. 2021");
    // A period that finds nothing, and one that is no period at all.
    EXPECT_TRUE(TicketReport::Compute(*app.g, {QDate(2020, 1, 1), QDate(2020, 12, 31)}).rows.isEmpty());
    EXPECT_EQ(TicketReport::Compute(*app.g, {QDate(2021, 3, 31), QDate(2021, 3, 1)}).totals.tickets, 0);
}

TEST(TicketReport, FindsThePeriodThroughTheDateIndex)
{
    ReportTickets app;
    // The plan of the report's own statement, inner query and all.
    QSqlQuery q(app.g->db().connection());
    ASSERT_TRUE(q.prepare(QStringLiteral("EXPLAIN QUERY PLAN ") + TicketReport::Statement()));
    q.addBindValue(QStringLiteral("20210301"));
    q.addBindValue(QStringLiteral("20210331"));
    ASSERT_TRUE(q.exec()) << q.lastError().text().toStdString();
    QString plan;
    while (q.next())
        plan += q.value(3).toString() + QLatin1Char('\n');
    EXPECT_TRUE(plan.contains("kv_bon_dagsleutel")) << plan.toStdString();
}

TEST(TicketReport, Periods)
{
    const QDate wednesday(2021, 3, 3);
    using Kind = ReportPeriod::Kind;
    struct Case {
        Kind kind;
        QDate today, from, to;
        QDate expectedFrom, expectedTo;
        const char* file;
    };
    const Case cases[] = {
        {Kind::ThisWeek, wednesday, {}, {}, {2021, 3, 1}, {2021, 3, 7}, "2021-03-01_2021-03-07"},
        {Kind::ThisMonth, wednesday, {}, {}, {2021, 3, 1}, {2021, 3, 31}, "2021-03"},
        {Kind::LastMonth, wednesday, {}, {}, {2021, 2, 1}, {2021, 2, 28}, "2021-02"},
        {Kind::LastMonth, {2021, 1, 15}, {}, {}, {2020, 12, 1}, {2020, 12, 31}, "2020-12"},
        {Kind::ThisWeek, {2021, 1, 1}, {}, {}, {2020, 12, 28}, {2021, 1, 3}, "2020-12-28_2021-01-03"},
        {Kind::Range, wednesday, {2021, 3, 9}, {2021, 3, 2}, {2021, 3, 2}, {2021, 3, 9}, "2021-03-02_2021-03-09"},
        {Kind::Range, wednesday, {2021, 3, 9}, {2021, 3, 9}, {2021, 3, 9}, {2021, 3, 9}, "2021-03-09"},
    };
    for (const Case& c : cases) {
        const ReportPeriod p = ReportPeriod::Of(c.kind, c.today, c.from, c.to);
        EXPECT_EQ(p.from, c.expectedFrom) << c.file;
        EXPECT_EQ(p.to, c.expectedTo) << c.file;
        EXPECT_EQ(p.FileText(), QLatin1String(c.file));
    }
}

TEST(TicketReport, ByClientKeepsTheLargestAndSumsTheRest)
{
    TicketReportData report;
    for (int i = 1; i <= 5; ++i) {
        ReportRow r;
        r.month = QStringLiteral("2021-0%1").arg(i % 2 + 1);
        r.client = QStringLiteral("K%1").arg(i);
        r.tickets = 1;
        r.work = i;
        r.totalEx = 10 * i;
        report.rows << r << r; // every client in two rows
        report.totals.Add(r);
        report.totals.Add(r);
    }
    const QList<ReportRow> rows = TicketReport::ByClient(report, 3, QStringLiteral("Overige"));
    ASSERT_EQ(rows.size(), 3);
    EXPECT_EQ(rows[0].client, "K5");
    EXPECT_DOUBLE_EQ(rows[0].totalEx, 100);
    EXPECT_EQ(rows[1].client, "K4");
    EXPECT_EQ(rows[2].client, "Overige");
    EXPECT_EQ(rows[2].tickets, 6);
    ReportRow sum;
    for (const ReportRow& r : rows)
        sum.Add(r);
    EXPECT_DOUBLE_EQ(sum.totalEx, report.totals.totalEx);
    EXPECT_EQ(TicketReport::ByClient(report, 0, QString()).size(), 5);
}

TEST(ReportDocument, IsOnePageWithTheTotalsEvenWithManyClients)
{
    ReportTickets app;
    // 40 more clients in March: more rows than the page holds.
    for (int i = 0; i < 40; ++i) {
        TicketSpec s;
        s.datum = QStringLiteral("10-03-2021");
        s.client = QStringLiteral("Klant %1").arg(i, 2, 10, QLatin1Char('0'));
        s.work = 1 + i;
        StoreTicket(*app.g, s);
    }
    const TicketReportData report = TicketReport::Compute(*app.g, kMarch);
    ASSERT_GT(report.rows.size(), ReportDocument::PageRows);
    Sheet sheet;
    QImage chart(795, 326, QImage::Format_RGB32);
    chart.fill(Qt::blue);
    ReportDocument::Build(*app.g, report, chart, sheet);
    EXPECT_LE(sheet.RowCount(), 53); // as many rows as the ticket's own page
    const int last = sheet.RowCount() - 1;
    EXPECT_EQ(sheet.Text(0, last), "Totaal");
    EXPECT_EQ(sheet.Text(9, last), AmountText(report.totals.totalInc));
    EXPECT_EQ(sheet.Text(0, last - 1), "Overige opdrachtgevers");
    EXPECT_EQ(sheet.Text(0, 22), "Klant 39"); // the most hours (and amount) first
    EXPECT_FALSE(sheet.Cell(0, 6).image.isNull());

    const QString path = ReportDocument::ExportPdf(*app.g, report, chart);
    EXPECT_EQ(path, app.docs.file("kolvarn-rapport-2021-03.pdf"));
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {path});
    ASSERT_TRUE(info.waitForFinished(30000));
    EXPECT_TRUE(QString::fromUtf8(info.readAllStandardOutput()).contains(QRegularExpression("Pages:\\s+1\\n")));
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    ASSERT_TRUE(text.waitForFinished(30000));
    const QString shown = QString::fromUtf8(text.readAllStandardOutput());
    EXPECT_TRUE(shown.contains("Rapport"));
    EXPECT_TRUE(shown.contains("01-03-2021 - 31-03-2021"));
    EXPECT_TRUE(shown.contains(AmountText(report.totals.totalEx))) << shown.toStdString();
}

TEST(ReportDocument, AReportThatFitsListsEveryMonthAndClient)
{
    ReportTickets app;
    const TicketReportData report = TicketReport::Compute(*app.g, {QDate(2021, 2, 1), QDate(2021, 4, 30)});
    Sheet sheet;
    ReportDocument::Build(*app.g, report, QImage(), sheet);
    ASSERT_EQ(sheet.RowCount(), 21 + 1 + 5 + 1);
    EXPECT_EQ(sheet.Text(0, 21), "Opdrachtgever");
    EXPECT_EQ(sheet.Text(3, 22), "feb. 2021");
    EXPECT_EQ(sheet.Text(0, 23), "(Geen opdrachtgever)");
    EXPECT_EQ(sheet.Text(4, 24), TimeText(report.rows[2].work));
    EXPECT_EQ(sheet.DisplayAlignment(8, 24), SheetAlign::Trailing);
    EXPECT_TRUE(sheet.Cell(0, 6).image.isNull());
}
