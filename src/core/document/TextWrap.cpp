#include "TextWrap.h"

#include <QStringList>

namespace {

bool isBreakChar(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('-') || c == QLatin1Char('\t');
}

bool isQuote(const QString& line, qsizetype i)
{
    const QChar c = line[i];
    if (c == QLatin1Char('"'))
        return true;
    if (c != QLatin1Char('\''))
        return false;
    const bool letterBefore = i > 0 && line[i - 1].isLetterOrNumber();
    const bool letterAfter = i + 1 < line.size() && line[i + 1].isLetterOrNumber();
    return !(letterBefore && letterAfter);
}

// A quotation mark opens quoted text only when the line closes it again later on.
bool closedLater(const QString& line, qsizetype i)
{
    for (qsizetype j = i + 1; j < line.size(); ++j)
        if (line[j] == line[i] && isQuote(line, j))
            return true;
    return false;
}

void wrapLine(const QString& line, int maxColumns, QString& out)
{
    qsizetype start = 0;     // first character of the current output line
    qsizetype lastBreak = -1; // last break character of the current line outside quotes
    QChar quote;             // the open quotation mark, or null
    for (qsizetype i = 0; i < line.size(); ++i) {
        // The character at i would run past the width: end the line at the last break.
        if (i - start + 1 > maxColumns && lastBreak >= start) {
            out += line.mid(start, lastBreak - start + 1);
            out += QLatin1Char('\n');
            start = lastBreak + 1;
            lastBreak = -1;
        }
        const QChar c = line[i];
        if (!quote.isNull()) {
            if (c == quote && isQuote(line, i))
                quote = QChar();
        } else if (isQuote(line, i) && closedLater(line, i)) {
            quote = c;
        } else if (isBreakChar(c)) {
            lastBreak = i;
        }
    }
    out += line.mid(start);
}

}

QString HardWrapText(const QString& text, int maxColumns)
{
    if (maxColumns < 1)
        return text;
    QString normal = text;
    normal.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    normal.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    const QStringList lines = normal.split(QLatin1Char('\n'));
    QString out;
    out.reserve(normal.size() + normal.size() / maxColumns + 1);
    for (qsizetype n = 0; n < lines.size(); ++n) {
        if (n > 0)
            out += QLatin1Char('\n');
        wrapLine(lines[n], maxColumns, out);
    }
    return out;
}
