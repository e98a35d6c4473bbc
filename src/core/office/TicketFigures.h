#pragma once
#include <QDate>
#include <QString>
#include <QVariantList>

class KVGlobal;
class QSqlQuery;

// The figures of a stored ticket as SQL expressions over the columns of its bon row: the hours
// of each kind, the distance and the three amounts its document shows. The spreadsheet export
// reads them ticket by ticket and the report sums them per client and month, so both count
// exactly as the document does (ComputeTicketTotals): the same sums in the same order, used
// parts lines only, VAT added to or taken out of the total as the ticket's prijsinc says. A
// null column counts as 0 or false, as the ticket's load reads it.
//
// The texts are built from fixed column names only; values are always bound parameters.
namespace TicketFigures {

QString WorkHours();   // werk1 + .. + werk7
QString Overtime();    // over1 + .. + over7
QString TravelHours(); // reis1 + .. + reis7
QString Distance();    // km1 + .. + km7

// The total excluding VAT, the VAT and the total including it. A ticket whose document
// computes no amounts (autocomp off) has none: the expressions give null for it, which the
// export leaves empty and the report's sums skip.
QString TotalEx();
QString Vat();
QString TotalInc();
// The same three in parts, for a statement that computes the sum once per ticket: the sum the
// VAT is computed on (null when the document computes no amounts), whether the prices include
// VAT, the VAT percentage, and the three amounts over values of those (column names of an
// inner query, say).
QString AmountBase();
QString VatIncluded();
QString VatPercentage();
QString TotalExOf(const QString& base, const QString& included, const QString& percentage);
QString VatOf(const QString& base, const QString& included, const QString& percentage);
QString TotalIncOf(const QString& base, const QString& included, const QString& percentage);
// 1 when the ticket is signed, else 0.
QString Signed();

// datum ("DD-MM-YYYY") rearranged as "YYYYMMDD", which sorts as the dates do; an index on
// exactly this expression lets a period be found without reading every ticket.
QString DayKey();
// "YYYY-MM" of datum.
QString MonthKey();
// True when datum has the form of a date ("DD-MM-YYYY" in digits): only such tickets belong to
// a period.
QString IsDated();
// The DayKey value of a date.
QString DayKeyOf(const QDate& date);

} // namespace TicketFigures

namespace TicketFigures {
// Runs a SELECT on the local database with these bound values, positioned before its first
// row. A database that is not open, or a statement that fails, throws KVError.
QSqlQuery Select(KVGlobal& g, const QString& sql, const QVariantList& binds = {});
}
