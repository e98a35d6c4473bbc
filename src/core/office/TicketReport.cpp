#include "TicketReport.h"

#include "TicketFigures.h"
#include "app/KVGlobal.h"
#include "ticket/TicketOps.h"

#include <QHash>
#include <QLocale>
#include <QSqlQuery>
#include <algorithm>

namespace {

QLocale localeOf(const QString& languageCode)
{
    if (languageCode == QLatin1String("de"))
        return QLocale(QLocale::German, QLocale::Germany);
    if (languageCode == QLatin1String("us"))
        return QLocale(QLocale::English, QLocale::UnitedStates);
    if (languageCode == QLatin1String("es"))
        return QLocale(QLocale::Spanish, QLocale::Spain);
    if (languageCode == QLatin1String("fr"))
        return QLocale(QLocale::French, QLocale::France);
    return QLocale(QLocale::Dutch, QLocale::Netherlands); // the source texts
}

// The statement of the report: one row per month and client of the tickets whose date lies in
// the bound range (two DayKey values). Its WHERE clause names the indexed expression exactly.
// The figures of each ticket are computed once, in the materialized inner query, and the
// amounts taken from its sum there, instead of the sum again for each of the three.
QString reportStatement()
{
    using namespace TicketFigures;
    const QString b = QStringLiteral("b"), i = QStringLiteral("i"), p = QStringLiteral("p");
    return QStringLiteral("WITH f AS MATERIALIZED (SELECT %1 AS m, ifnull(opdrachtgever,'') AS c, %2 AS w, %3 AS o, "
                          "%4 AS t, %5 AS k, %6 AS b, %7 AS i, %8 AS p FROM bon WHERE %9 BETWEEN ? AND ? AND %10) "
                          "SELECT m, c, count(*), total(w), total(o), total(t), total(k), total(%11), total(%12), "
                          "total(%13) FROM f GROUP BY 1, 2 ORDER BY 1, 2")
        .arg(MonthKey(), WorkHours(), Overtime(), TravelHours(), Distance(), AmountBase(), VatIncluded(), VatPercentage(),
             DayKey())
        .arg(IsDated(), TotalExOf(b, i, p), VatOf(b, i, p), TotalIncOf(b, i, p));
}

} // namespace

ReportPeriod ReportPeriod::Of(Kind kind, const QDate& today, const QDate& from, const QDate& to)
{
    ReportPeriod p;
    switch (kind) {
    case Kind::ThisWeek:
        p.from = today.addDays(1 - today.dayOfWeek());
        p.to = p.from.addDays(6);
        break;
    case Kind::ThisMonth:
        p.from = QDate(today.year(), today.month(), 1);
        p.to = p.from.addMonths(1).addDays(-1);
        break;
    case Kind::LastMonth:
        p.from = QDate(today.year(), today.month(), 1).addMonths(-1);
        p.to = p.from.addMonths(1).addDays(-1);
        break;
    case Kind::Range:
        p.from = std::min(from, to);
        p.to = std::max(from, to);
        break;
    }
    return p;
}

QString ReportPeriod::Text() const
{
    if (from == to)
        return FormatDatum(from);
    return FormatDatum(from) + QStringLiteral(" - ") + FormatDatum(to);
}

QString ReportPeriod::FileText() const
{
    if (from == to)
        return from.toString(Qt::ISODate);
    if (from.day() == 1 && to == from.addMonths(1).addDays(-1))
        return from.toString(QStringLiteral("yyyy-MM"));
    return from.toString(Qt::ISODate) + QLatin1Char('_') + to.toString(Qt::ISODate);
}

void ReportRow::Add(const ReportRow& o)
{
    tickets += o.tickets;
    work += o.work;
    overtime += o.overtime;
    travel += o.travel;
    distance += o.distance;
    totalEx += o.totalEx;
    vat += o.vat;
    totalInc += o.totalInc;
}

namespace TicketReport {

TicketReportData Compute(KVGlobal& g, const ReportPeriod& period)
{
    TicketReportData report;
    report.period = period;
    if (!period.IsValid())
        return report;
    QSqlQuery q = TicketFigures::Select(g, Statement(),
                                        {TicketFigures::DayKeyOf(period.from), TicketFigures::DayKeyOf(period.to)});
    while (q.next()) {
        ReportRow r;
        r.month = q.value(0).toString();
        r.client = q.value(1).toString();
        r.tickets = q.value(2).toInt();
        r.work = q.value(3).toDouble();
        r.overtime = q.value(4).toDouble();
        r.travel = q.value(5).toDouble();
        r.distance = qRound64(q.value(6).toDouble());
        r.totalEx = q.value(7).toDouble();
        r.vat = q.value(8).toDouble();
        r.totalInc = q.value(9).toDouble();
        report.totals.Add(r);
        report.rows << r;
    }
    return report;
}

const QString& Statement()
{
    static const QString statement = reportStatement();
    return statement;
}

QString MonthText(const KVGlobal& g, const QString& month)
{
    const QDate first = QDate::fromString(month + QStringLiteral("-01"), Qt::ISODate);
    if (!first.isValid())
        return month;
    const QLocale locale = localeOf(g.jargon.LanguageCode());
    return locale.standaloneMonthName(first.month(), QLocale::ShortFormat) + QLatin1Char(' ')
         + QString::number(first.year());
}

QList<ReportRow> ByClient(const TicketReportData& report, int limit, const QString& others)
{
    QList<ReportRow> clients;
    QHash<QString, int> at;
    for (const ReportRow& r : report.rows) {
        auto it = at.find(r.client);
        if (it == at.end()) {
            it = at.insert(r.client, int(clients.size()));
            ReportRow sum;
            sum.client = r.client;
            clients << sum;
        }
        clients[*it].Add(r);
    }
    std::stable_sort(clients.begin(), clients.end(), [](const ReportRow& a, const ReportRow& b) {
        if (a.totalEx != b.totalEx)
            return a.totalEx > b.totalEx;
        return a.work + a.overtime + a.travel > b.work + b.overtime + b.travel;
    });
    if (limit > 0 && clients.size() > limit) {
        ReportRow rest;
        rest.client = others;
        for (qsizetype i = limit - 1; i < clients.size(); ++i)
            rest.Add(clients[i]);
        clients.resize(limit - 1);
        clients << rest;
    }
    return clients;
}

} // namespace TicketReport
