#include "Amounts.h"

#include "app/KVGlobal.h"

#include <QLocale>
#include <algorithm>
#include <cmath>

void ComputeTicketTotals(KVGlobal& g)
{
    const TBon& b = g.bon;
    g.WeekTotals.fill(0);
    g.WeekAmounts.fill(0);
    for (int d = 1; d <= 7; ++d) {
        g.WeekTotals[1] += b.werk[d];
        g.WeekTotals[2] += b.over[d];
        g.WeekTotals[3] += b.reis[d];
        g.WeekTotals[4] += double(b.km[d]);
    }
    const double rate[5] = {0, b.uurprijswerk, b.uurprijsover, b.uurprijsreis, b.kmprijs};
    for (int k = 1; k <= 4; ++k)
        g.WeekAmounts[k] = g.WeekTotals[k] * rate[k];

    double total = 0;
    total += g.WeekAmounts[1];
    total += g.WeekAmounts[2];
    total += g.WeekAmounts[3];
    total += g.WeekAmounts[4];
    if (g.MaxUsedRows() > 0) {
        const int lines = std::clamp(b.numodd, 0, 13);
        for (int i = 1; i <= lines; ++i)
            total += b.gebruikt[i].bedrag;
    }
    if (b.prijsinc) {
        g.TotalInc = total;
        g.TotalEx = g.TotalInc / (b.percob + 100) * 100;
        g.VatAmount = g.TotalInc - g.TotalEx;
    } else {
        g.TotalEx = total;
        g.VatAmount = g.TotalEx / 100 * b.percob;
        g.TotalInc = g.TotalEx + g.VatAmount;
    }
}

QString TimeText(double hours)
{
    if (!std::isfinite(hours))
        return QString();
    if (hours < 0)
        return QLatin1Char('-') + TimeText(-hours);
    double h = std::trunc(hours);
    // Ties to even, as the default rounding mode does.
    double m = std::nearbyint((hours - h) * 60.0);
    if (m >= 60) {
        h += 1;
        m -= 60;
    }
    const long long hh = (long long)h;
    const int mm = int(m);
    if (hh < 24)
        return QStringLiteral("%1:%2").arg(hh, 2, 10, QLatin1Char('0')).arg(mm, 2, 10, QLatin1Char('0'));
    return QString::number(hh) + (mm < 10 ? QStringLiteral(":0") : QStringLiteral(":")) + QString::number(mm);
}

QString AmountText(double value)
{
    const QString point = QLocale().decimalPoint();
    if (!std::isfinite(value))
        return QString::number(value);
    // The value rounded to 8 significant digits, as decimal digits d1..d8 x 10^exp.
    const QString e = QString::number(std::fabs(value), 'e', 7); // "d.ddddddde+XX"
    const int ePos = e.indexOf(QLatin1Char('e'));
    QString digits = e.left(1) + e.mid(2, ePos - 2);
    int exp = e.mid(ePos + 1).toInt(); // value = d1.d2..d8 x 10^exp
    const bool negative = value < 0;

    if (exp >= 8) {
        // Too many digits before the point for a fixed form: general scientific form.
        QString s = QString::number(std::fabs(value), 'g', 8);
        if (point != QLatin1String("."))
            s.replace(QLatin1Char('.'), point);
        return negative ? QLatin1Char('-') + s : s;
    }
    // Keep the digits down to the second decimal; round the rest half away from zero, as a
    // person rounding the decimal digits would.
    const int keep = exp + 1 + 2; // digits before the point plus two decimals
    QString kept;
    if (keep >= digits.size()) {
        kept = digits + QString(keep - digits.size(), QLatin1Char('0'));
    } else if (keep >= 0) {
        kept = digits.left(keep);
        if (digits[keep] >= QLatin1Char('5')) {
            int i = kept.size() - 1;
            for (; i >= 0; --i) {
                if (kept[i] == QLatin1Char('9')) {
                    kept[i] = QLatin1Char('0');
                } else {
                    kept[i] = QChar(kept[i].unicode() + 1);
                    break;
                }
            }
            if (i < 0)
                kept.prepend(QLatin1Char('1'));
        }
    }
    // kept holds the value in hundredths, possibly empty (a value below 0.005).
    kept = kept.isEmpty() ? QStringLiteral("0") : kept;
    while (kept.size() > 1 && kept[0] == QLatin1Char('0'))
        kept.remove(0, 1);
    while (kept.size() < 3)
        kept.prepend(QLatin1Char('0'));
    const QString text = kept.left(kept.size() - 2) + point + kept.right(2);
    const bool zero = std::all_of(kept.cbegin(), kept.cend(), [](QChar c) { return c == QLatin1Char('0'); });
    return negative && !zero ? QLatin1Char('-') + text : text;
}
