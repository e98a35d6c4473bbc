#include "TicketFigures.h"

#include "app/KVError.h"
#include "app/KVGlobal.h"
#include "store/Database.h"
#include "store/LocalStore.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>

namespace TicketFigures {
namespace {

constexpr int kDays = 7;
constexpr int kPartGroups = 13;

QString number(const QString& column) { return QStringLiteral("ifnull(%1,0)").arg(column); }

// A boolean column as the ticket's load reads it: a number other than 0, or the text "true".
QString flag(const QString& column)
{
    return QStringLiteral("(CASE WHEN typeof(%1) IN ('integer','real') THEN %1 <> 0 "
                          "WHEN lower(trim(%1)) = 'true' THEN 1 ELSE 0 END)")
        .arg(column);
}

// stem1 + .. + stem7, added in day order.
QString daySum(const char* stem)
{
    QStringList terms;
    for (int d = 1; d <= kDays; ++d)
        terms << number(QLatin1String(stem) + QString::number(d));
    return QLatin1Char('(') + terms.join(QLatin1Char('+')) + QLatin1Char(')');
}

// The sum the VAT is computed on: the four week amounts, then the amount of every used parts
// line, added one by one from 0 in the order the document adds them.
QString amountBase()
{
    QString sum = QStringLiteral("0.0");
    const std::pair<QString, const char*> week[] = {
        {WorkHours(), "uurprijswerk"}, {Overtime(), "uurprijsover"}, {TravelHours(), "uurprijsreis"}, {Distance(), "kmprijs"}};
    for (const auto& [hours, rate] : week)
        sum = QStringLiteral("(%1 + %2 * %3)").arg(sum, hours, number(QLatin1String(rate)));
    for (int k = 1; k <= kPartGroups; ++k)
        sum = QStringLiteral("(%1 + CASE WHEN %2 >= %3 THEN %4 * %5 ELSE 0 END)")
                  .arg(sum, number(QStringLiteral("numodd")), QString::number(k),
                       number(QStringLiteral("aantal") + QString::number(k)),
                       number(QStringLiteral("prijs") + QString::number(k)));
    return sum;
}

// The expression when the ticket's document computes amounts, else null.
QString whenComputed(const QString& expression)
{
    return QStringLiteral("(CASE WHEN %1 THEN %2 END)").arg(flag(QStringLiteral("autocomp")), expression);
}

} // namespace

QString WorkHours() { return daySum("werk"); }
QString Overtime() { return daySum("over"); }
QString TravelHours() { return daySum("reis"); }
QString Distance() { return daySum("km"); }

QString AmountBase()
{
    static const QString b = whenComputed(amountBase());
    return b;
}

QString VatIncluded() { return flag(QStringLiteral("prijsinc")); }
QString VatPercentage() { return number(QStringLiteral("percob")); }

// Prices with VAT: the sum includes it and the total without VAT is taken out of it.
QString TotalExOf(const QString& b, const QString& included, const QString& p)
{
    return QStringLiteral("(CASE WHEN %1 THEN %2 / (%3 + 100) * 100 ELSE %2 END)").arg(included, b, p);
}

QString VatOf(const QString& b, const QString& included, const QString& p)
{
    return QStringLiteral("(CASE WHEN %1 THEN %2 - %2 / (%3 + 100) * 100 ELSE %2 / 100 * %3 END)").arg(included, b, p);
}

QString TotalIncOf(const QString& b, const QString& included, const QString& p)
{
    return QStringLiteral("(CASE WHEN %1 THEN %2 ELSE %2 + %2 / 100 * %3 END)").arg(included, b, p);
}

QString TotalEx() { return TotalExOf(AmountBase(), VatIncluded(), VatPercentage()); }
QString Vat() { return VatOf(AmountBase(), VatIncluded(), VatPercentage()); }
QString TotalInc() { return TotalIncOf(AmountBase(), VatIncluded(), VatPercentage()); }

QString Signed() { return flag(QStringLiteral("ondertekend")); }

QString DayKey() { return TicketDayKeyExpression(); }

QString MonthKey() { return QStringLiteral("(substr(datum,7,4)||'-'||substr(datum,4,2))"); }

QString IsDated()
{
    return QStringLiteral("(datum GLOB '[0-9][0-9]-[0-9][0-9]-[0-9][0-9][0-9][0-9]')");
}

QString DayKeyOf(const QDate& date) { return date.toString(QStringLiteral("yyyyMMdd")); }

QSqlQuery Select(KVGlobal& g, const QString& sql, const QVariantList& binds)
{
    g.db().RequireOpen("report");
    QSqlQuery q(g.db().connection());
    q.setForwardOnly(true);
    bool ok = q.prepare(sql);
    if (ok) {
        for (int i = 0; i < binds.size(); ++i)
            q.bindValue(i, binds[i]);
        ok = q.exec();
    }
    if (!ok) {
        const QSqlError e = q.lastError();
        throw KVError(QStringLiteral("bon: ") + (e.databaseText().isEmpty() ? e.text() : e.databaseText()));
    }
    return q;
}

} // namespace TicketFigures
