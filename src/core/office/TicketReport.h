#pragma once
#include <QDate>
#include <QList>
#include <QString>

class KVGlobal;

// The report of the office: the stored tickets of a period summed per month and client (hours
// of each kind, distance, the amounts of their documents), with totals. It is computed by
// aggregate SQL over an index on the ticket date, so its cost follows the tickets of the
// period, not the size of the table.

// A period of whole days, both ends included.
struct ReportPeriod {
    enum class Kind { ThisWeek, ThisMonth, LastMonth, Range };
    QDate from, to;

    // The period of that kind around today (Monday to Sunday for a week). For a range, from
    // and to are taken as given, in whichever order.
    static ReportPeriod Of(Kind kind, const QDate& today, const QDate& from = {}, const QDate& to = {});
    bool IsValid() const { return from.isValid() && to.isValid() && from <= to; }
    // "01-03-2021 - 31-03-2021", or the one date of a single day.
    QString Text() const;
    // For a file name: "2021-03" for a calendar month, "2021-03-05" for a day, else
    // "2021-03-01_2021-03-07".
    QString FileText() const;
};

// The tickets of one client in one month, or a sum of such rows.
struct ReportRow {
    QString month;  // "YYYY-MM"; empty in a row that sums several months
    QString client; // opdrachtgever as stored
    int tickets = 0;
    double work = 0, overtime = 0, travel = 0;
    qint64 distance = 0;
    double totalEx = 0, vat = 0, totalInc = 0; // tickets without computed amounts add nothing

    void Add(const ReportRow& other);
};

struct TicketReportData {
    ReportPeriod period;
    QList<ReportRow> rows; // by month, then client
    ReportRow totals;
};

namespace TicketReport {

TicketReportData Compute(KVGlobal& g, const ReportPeriod& period);
// The one aggregate statement Compute runs: its two parameters are the DayKey values of the
// first and the last day of the period.
const QString& Statement();

// "mrt. 2021": the short month name in the language of the captions, and the year.
QString MonthText(const KVGlobal& g, const QString& month);
// The rows of the report summed per client over the whole period, the clients with the
// highest amount first (then the most hours); at most `limit` rows, the rest summed in a last
// row whose client is `others`.
QList<ReportRow> ByClient(const TicketReportData& report, int limit, const QString& others);

} // namespace TicketReport
