#include "TicketExport.h"

#include "TicketFigures.h"
#include "app/KVError.h"
#include "app/KVGlobal.h"
#include "app/Language.h"
#include "app/Log.h"
#include "document/Amounts.h"
#include "store/LocalStore.h"
#include "store/Table.h"
#include "ticket/TicketOps.h"

#include <QFile>
#include <QLocale>
#include <QSaveFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>

#include <xlsxwriter.h>

namespace TicketExport {
namespace {

constexpr int kPartGroups = 13;

QString col(const char* stem, int k) { return QLatin1String(stem) + QString::number(k); }

// A stored number as the ticket's load reads it: null is 0, a fraction is rounded, a text that
// is no number counts as 0 here (the export reports, it does not refuse a ticket).
qint64 integerOf(const QVariant& v)
{
    if (v.isNull())
        return 0;
    if (v.typeId() == QMetaType::Double)
        return std::llround(v.toDouble());
    bool ok = false;
    const qint64 i = v.toLongLong(&ok);
    if (ok)
        return i;
    const double d = ColumnText(v).trimmed().toDouble(&ok);
    return ok && std::isfinite(d) ? std::llround(d) : 0;
}

double floatOf(const QVariant& v)
{
    bool ok = false;
    const double d = v.isNull() ? 0 : v.toDouble(&ok);
    return ok ? d : 0;
}

std::optional<double> amountOf(const QVariant& v)
{
    if (v.isNull())
        return std::nullopt;
    return floatOf(v);
}

// An amount as the document shows it: rounded the way AmountText rounds, so that the cells of
// the spreadsheet add up to what the tickets say.
double shownAmount(double value)
{
    if (!std::isfinite(value))
        return value;
    bool ok = false;
    const double shown = QLocale().toDouble(AmountText(value), &ok);
    return ok ? shown : value;
}

QVariant amountCell(const std::optional<double>& value)
{
    return value ? QVariant(shownAmount(*value)) : QVariant();
}

// The statement that reads one ticket by rowid: the figures its document computes, then the
// 13 column groups of its parts lines.
QString ticketStatement()
{
    using namespace TicketFigures;
    QStringList fields = {QStringLiteral("bonnr"), QStringLiteral("datum"), QStringLiteral("opdrachtgever"),
                          QStringLiteral("werklocatie"), WorkHours(), Overtime(), TravelHours(), Distance(),
                          TotalEx(), Vat(), TotalInc(), Signed(), QStringLiteral("numodd"), QStringLiteral("numnodig")};
    for (int k = 1; k <= kPartGroups; ++k)
        fields << col("bestelnr", k) << col("aantal", k) << col("omschr", k) << col("prijs", k);
    return QStringLiteral("SELECT ") + fields.join(QStringLiteral(", ")) + QStringLiteral(" FROM bon WHERE rowid = ?");
}
constexpr int kFirstGroup = 14; // the position of bestelnr1 in ticketStatement

ExportTicket readTicket(const QSqlQuery& q)
{
    ExportTicket t;
    t.bonnr = ColumnText(q.value(0));
    t.datum = ColumnText(q.value(1));
    t.opdrachtgever = ColumnText(q.value(2));
    t.werklocatie = ColumnText(q.value(3));
    t.work = floatOf(q.value(4));
    t.overtime = floatOf(q.value(5));
    t.travel = floatOf(q.value(6));
    t.distance = integerOf(q.value(7));
    t.totalEx = amountOf(q.value(8));
    t.vat = amountOf(q.value(9));
    t.totalInc = amountOf(q.value(10));
    t.ondertekend = integerOf(q.value(11)) != 0;
    // The counts are held inside the 13 groups, as the ticket's load holds them.
    const int used = int(std::clamp<qint64>(integerOf(q.value(12)), 0, kPartGroups));
    const int needed = int(std::clamp<qint64>(integerOf(q.value(13)), 0, kPartGroups - used));
    for (int k = 1; k <= used + needed; ++k) {
        const int at = kFirstGroup + (k - 1) * 4;
        ExportPartLine line;
        line.used = k <= used;
        line.bestelnr = ColumnText(q.value(at));
        line.aantal = integerOf(q.value(at + 1));
        line.omschr = ColumnText(q.value(at + 2));
        line.prijs = floatOf(q.value(at + 3));
        t.lines << line;
    }
    return t;
}

QString header(const KVGlobal& g, const char* caption)
{
    return CapitalizeFirst(g.jargon.Caption(QLatin1String(caption)));
}

QString decimalText(double value, const CsvStyle& style)
{
    QString s = QString::number(value, 'g', QLocale::FloatingPointShortest);
    if (s.contains(QLatin1Char('e')))
        s = QString::number(value, 'f', 6);
    s.replace(QLatin1Char('.'), style.decimalMark);
    return s;
}

QString amountText(double value, const CsvStyle& style)
{
    QString s = AmountText(value);
    s.replace(QLocale().decimalPoint(), style.decimalMark);
    return s;
}

// A spreadsheet that opens a CSV file evaluates a field that starts like a formula.
bool looksLikeFormula(const QString& text)
{
    if (text.isEmpty())
        return false;
    const QChar c = text.front();
    return c == QLatin1Char('=') || c == QLatin1Char('+') || c == QLatin1Char('-') || c == QLatin1Char('@')
        || c == QLatin1Char('\t') || c == QLatin1Char('\r');
}

QString csvField(QString text, const CsvStyle& style, bool guardFormula)
{
    if (guardFormula && looksLikeFormula(text))
        text.prepend(QLatin1Char('\''));
    const bool quote = text.contains(style.separator) || text.contains(QLatin1Char('"'))
                    || text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'));
    if (!quote)
        return text;
    text.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + text + QLatin1Char('"');
}

QString csvCell(const QVariant& v, CellKind kind, const CsvStyle& style)
{
    if (v.isNull())
        return QString();
    switch (kind) {
    case CellKind::Text:
        return csvField(v.toString(), style, true);
    case CellKind::Date:
        // ISO dates read as dates in every spreadsheet and every locale, day-first or not.
        return v.typeId() == QMetaType::QDate ? v.toDate().toString(Qt::ISODate) : csvField(v.toString(), style, true);
    case CellKind::Hours:
        return decimalText(v.toDouble(), style);
    case CellKind::Integer:
        return QString::number(v.toLongLong());
    case CellKind::Amount:
        return csvField(amountText(v.toDouble(), style), style, false);
    case CellKind::Boolean:
        return csvField(v.toBool() ? style.yes : style.no, style, false);
    }
    return QString();
}

// ---- XLSX ----------------------------------------------------------------------------------

constexpr int kMaxCellText = 32767; // the most characters a cell of a workbook holds
constexpr double kMaxWidth = 60;

void check(lxw_error e, const char* what)
{
    if (e != LXW_NO_ERROR)
        throw KVError(QStringLiteral("XLSX: %1: %2").arg(QLatin1String(what), QString::fromUtf8(lxw_strerror(e))));
}

// A sheet name a workbook accepts: at most 31 characters, none of []:*?/\, and not the name
// of the sheet before it.
QString sheetName(QString name, const QStringList& taken)
{
    for (QChar& c : name)
        if (QStringLiteral("[]:*?/\\").contains(c) || c.unicode() < 0x20)
            c = QLatin1Char(' ');
    name = name.trimmed().left(31).trimmed();
    if (name.isEmpty() || name.startsWith(QLatin1Char('\'')))
        name = QStringLiteral("Sheet%1").arg(taken.size() + 1);
    QString unique = name;
    for (int n = 2; taken.contains(unique, Qt::CaseInsensitive); ++n)
        unique = name.left(28) + QLatin1Char(' ') + QString::number(n);
    return unique;
}

// How wide a column must be for the value, in the workbook's character widths.
double widthOf(const QVariant& v, CellKind kind)
{
    if (v.isNull())
        return 0;
    switch (kind) {
    case CellKind::Date: return 11;
    case CellKind::Boolean: return 6;
    case CellKind::Hours:
    case CellKind::Amount: return QString::number(v.toDouble(), 'f', 2).size();
    case CellKind::Integer: return QString::number(v.toLongLong()).size();
    case CellKind::Text: return v.toString().size();
    }
    return 0;
}

struct Formats {
    lxw_format* header = nullptr;
    lxw_format* date = nullptr;
    lxw_format* twoDecimals = nullptr;
};

void writeCell(lxw_worksheet* ws, lxw_row_t row, lxw_col_t column, const QVariant& v, CellKind kind, const Formats& f)
{
    if (v.isNull())
        return;
    switch (kind) {
    case CellKind::Text:
        check(worksheet_write_string(ws, row, column, v.toString().left(kMaxCellText).toUtf8().constData(), nullptr),
              "text cell");
        return;
    case CellKind::Date:
        if (v.typeId() == QMetaType::QDate) {
            const QDate d = v.toDate();
            lxw_datetime when = {d.year(), d.month(), d.day(), 0, 0, 0};
            check(worksheet_write_datetime(ws, row, column, &when, f.date), "date cell");
        } else {
            check(worksheet_write_string(ws, row, column, v.toString().left(kMaxCellText).toUtf8().constData(), nullptr),
                  "date cell");
        }
        return;
    case CellKind::Hours:
    case CellKind::Amount:
        check(worksheet_write_number(ws, row, column, v.toDouble(), f.twoDecimals), "number cell");
        return;
    case CellKind::Integer:
        check(worksheet_write_number(ws, row, column, double(v.toLongLong()), nullptr), "number cell");
        return;
    case CellKind::Boolean:
        check(worksheet_write_boolean(ws, row, column, v.toBool() ? 1 : 0, nullptr), "boolean cell");
        return;
    }
}

void writeSheet(lxw_workbook* wb, const ExportTable& table, QStringList& taken, const Formats& f)
{
    const QString name = sheetName(table.name, taken);
    taken << name;
    lxw_worksheet* ws = workbook_add_worksheet(wb, name.toUtf8().constData());
    if (!ws)
        throw KVError(QStringLiteral("XLSX: no sheet \"%1\"").arg(name));
    QVector<double> widths(table.columns.size());
    for (int c = 0; c < table.columns.size(); ++c) {
        check(worksheet_write_string(ws, 0, lxw_col_t(c), table.columns[c].header.toUtf8().constData(), f.header),
              "header");
        widths[c] = table.columns[c].header.size();
    }
    for (int r = 0; r < table.rows.size(); ++r) {
        const QVector<QVariant>& row = table.rows[r];
        for (int c = 0; c < table.columns.size() && c < row.size(); ++c) {
            writeCell(ws, lxw_row_t(r + 1), lxw_col_t(c), row[c], table.columns[c].kind, f);
            widths[c] = std::max(widths[c], widthOf(row[c], table.columns[c].kind));
        }
    }
    for (int c = 0; c < table.columns.size(); ++c)
        check(worksheet_set_column(ws, lxw_col_t(c), lxw_col_t(c), std::min(widths[c] + 2, kMaxWidth), nullptr),
              "column width");
    worksheet_freeze_panes(ws, 1, 1);
}

} // namespace

QList<qint64> RowIds(KVGlobal& g, int first, int last)
{
    QList<qint64> rowids;
    Table& t = g.BonTable();
    if (!t.IsOpen())
        return rowids;
    last = std::min(last, t.RecordCount() - 1);
    for (int p = std::max(first, 0); p <= last; ++p) {
        const qint64 rowid = t.RowIdAt(p);
        if (rowid >= 0)
            rowids << rowid;
    }
    return rowids;
}

QList<ExportTicket> ReadTickets(KVGlobal& g, const QList<qint64>& rowids)
{
    QList<ExportTicket> tickets;
    if (rowids.isEmpty())
        return tickets;
    QSqlQuery q = TicketFigures::Select(g, ticketStatement(), {rowids.first()});
    for (int i = 0; i < rowids.size(); ++i) {
        if (i > 0) {
            q.bindValue(0, rowids[i]);
            if (!q.exec())
                q = TicketFigures::Select(g, ticketStatement(), {rowids[i]}); // throws with the database's text
        }
        if (q.next())
            tickets << readTicket(q);
        q.finish();
    }
    return tickets;
}

ExportTable TicketTable(const KVGlobal& g, const QList<ExportTicket>& tickets)
{
    ExportTable table;
    table.name = g.jargon.Caption(QStringLiteral("ListBoxItemKolvarn"));
    table.columns = {
        {g.Translate(QStringLiteral("Bonnr")), CellKind::Text},
        {g.Translate(QStringLiteral("Datum")), CellKind::Date},
        {header(g, "ListBoxItemOpdrachtgever"), CellKind::Text},
        {header(g, "ListBoxItemWerkLocatie"), CellKind::Text},
        {header(g, "ListBoxItemWerktijd"), CellKind::Hours},
        {header(g, "ListBoxItemOverwerk"), CellKind::Hours},
        {header(g, "ListBoxItemReistijd"), CellKind::Hours},
        {g.settings.branche.afstand, CellKind::Integer},
        {g.Translate(QStringLiteral("Totaal")) + QStringLiteral(" Ex"), CellKind::Amount},
        {g.Translate(QStringLiteral("BTW")), CellKind::Amount},
        {g.Translate(QStringLiteral("Totaal")) + QStringLiteral(" Inc"), CellKind::Amount},
        {g.Translate(QStringLiteral("Ondertekend")), CellKind::Boolean},
    };
    for (const ExportTicket& t : tickets) {
        QVariant date = t.datum.isEmpty() ? QVariant() : QVariant(t.datum);
        try {
            if (!t.datum.isEmpty())
                date = ParseDatum(t.datum);
        } catch (const KVError&) {
            // an unreadable date is exported as it is stored
        }
        table.rows.append({t.bonnr, date, t.opdrachtgever, t.werklocatie, t.work, t.overtime, t.travel, t.distance,
                           amountCell(t.totalEx), amountCell(t.vat), amountCell(t.totalInc), t.ondertekend});
    }
    return table;
}

ExportTable PartsTable(const KVGlobal& g, const QList<ExportTicket>& tickets)
{
    ExportTable table;
    table.name = g.Translate(QStringLiteral("Onderdelen"));
    table.columns = {
        {g.Translate(QStringLiteral("Bonnr")), CellKind::Text},
        {g.Translate(QStringLiteral("Soort")), CellKind::Text},
        {g.Translate(QStringLiteral("Bestelnr")), CellKind::Text},
        {g.Translate(QStringLiteral("Aantal")), CellKind::Integer},
        {g.Translate(QStringLiteral("Omschrijving")), CellKind::Text},
        {g.Translate(QStringLiteral("Prijs")), CellKind::Amount},
        {g.Translate(QStringLiteral("Bedrag")), CellKind::Amount},
    };
    const QString used = g.Translate(QStringLiteral("Gebruikt"));
    const QString needed = g.Translate(QStringLiteral("Benodigd"));
    for (const ExportTicket& t : tickets)
        for (const ExportPartLine& l : t.lines) {
            // Needed parts carry a price but no amount, as on the document.
            const QVariant amount = l.used ? QVariant(shownAmount(double(l.aantal) * l.prijs)) : QVariant();
            table.rows.append({t.bonnr, l.used ? used : needed, l.bestelnr, l.aantal, l.omschr, shownAmount(l.prijs), amount});
        }
    return table;
}

CsvStyle CsvStyleFor(const KVGlobal& g)
{
    CsvStyle style;
    if (g.jargon.LanguageCode() == QLatin1String("us")) {
        style.separator = QLatin1Char(',');
        style.decimalMark = QLatin1Char('.');
    }
    style.yes = g.Translate(QStringLiteral("Ja"));
    style.no = g.Translate(QStringLiteral("Nee"));
    return style;
}

QByteArray CsvDocument(const ExportTable& table, const CsvStyle& style)
{
    QString text;
    auto record = [&](const QStringList& fields) {
        text += fields.join(style.separator);
        text += QStringLiteral("\r\n");
    };
    QStringList headers;
    for (const ExportColumn& c : table.columns)
        headers << csvField(c.header, style, true);
    record(headers);
    for (const QVector<QVariant>& row : table.rows) {
        QStringList fields;
        for (int c = 0; c < table.columns.size(); ++c)
            fields << (c < row.size() ? csvCell(row[c], table.columns[c].kind, style) : QString());
        record(fields);
    }
    return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}

QByteArray XlsxDocument(const QList<ExportTable>& tables)
{
    // The library writes to a file of its own choosing; it is built in a private folder and
    // read back, so the final file is only ever replaced whole.
    QTemporaryDir dir;
    if (!dir.isValid())
        throw KVError(QStringLiteral("XLSX: no temporary folder (%1)").arg(dir.errorString()));
    const QString path = dir.filePath(QStringLiteral("export.xlsx"));
    const QByteArray tmp = QFile::encodeName(dir.path());
    lxw_workbook_options options = {};
    options.tmpdir = const_cast<char*>(tmp.constData());
    lxw_workbook* wb = workbook_new_opt(QFile::encodeName(path).constData(), &options);
    if (!wb)
        throw KVError(QStringLiteral("XLSX: the workbook cannot be made"));
    try {
        Formats f;
        f.header = workbook_add_format(wb);
        format_set_bold(f.header);
        format_set_bg_color(f.header, 0xF5F5F5);
        format_set_bottom(f.header, LXW_BORDER_THIN);
        f.date = workbook_add_format(wb);
        format_set_num_format_index(f.date, 14); // the short date of the reader's own locale
        f.twoDecimals = workbook_add_format(wb);
        format_set_num_format_index(f.twoDecimals, 2); // 0.00
        QStringList taken;
        for (const ExportTable& t : tables)
            writeSheet(wb, t, taken, f);
    } catch (...) {
        workbook_close(wb);
        throw;
    }
    check(workbook_close(wb), "close");
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw KVError(QStringLiteral("XLSX: %1").arg(file.errorString()));
    return file.readAll();
}

QString PeriodName(const QList<ExportTicket>& tickets, const QDate& today)
{
    QDate from, to;
    for (const ExportTicket& t : tickets) {
        try {
            const QDate d = ParseDatum(t.datum);
            if (!from.isValid() || d < from)
                from = d;
            if (!to.isValid() || d > to)
                to = d;
        } catch (const KVError&) {
            // a ticket without a readable date does not move the period
        }
    }
    if (!from.isValid())
        return today.toString(Qt::ISODate);
    if (from == to)
        return from.toString(Qt::ISODate);
    if (from.year() == to.year() && from.month() == to.month())
        return from.toString(QStringLiteral("yyyy-MM"));
    return from.toString(Qt::ISODate) + QLatin1Char('_') + to.toString(Qt::ISODate);
}

QStringList Export(KVGlobal& g, int first, int last, ExportFormat format)
{
    const QList<ExportTicket> tickets = ReadTickets(g, RowIds(g, first, last));
    const QString base = g.DocumentsFolder() + EditionInfo::PdfFileWord(g.edition) + QLatin1Char('-')
                       + PeriodName(tickets, g.seams.Now().date());
    const ExportTable ticketTable = TicketTable(g, tickets);
    const ExportTable partsTable = PartsTable(g, tickets);
    if (format == ExportFormat::Xlsx) {
        const QString path = base + QStringLiteral(".xlsx");
        WriteFile(g, path, XlsxDocument({ticketTable, partsTable}));
        return {path};
    }
    const CsvStyle style = CsvStyleFor(g);
    const QString ticketsPath = base + QStringLiteral(".csv");
    QString partsWord = FileWord(partsTable.name);
    if (partsWord.isEmpty())
        partsWord = QStringLiteral("parts");
    const QString partsPath = base + QLatin1Char('-') + partsWord + QStringLiteral(".csv");
    WriteFile(g, ticketsPath, CsvDocument(ticketTable, style));
    WriteFile(g, partsPath, CsvDocument(partsTable, style));
    return {ticketsPath, partsPath};
}

void WriteFile(const KVGlobal& g, const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        qCWarning(logDocument).noquote() << "export not written:" << path << "-" << file.errorString();
        throw KVError(g.Translate(QStringLiteral("Kan het bestand niet schrijven:")) + QLatin1Char(' ') + path
                      + QStringLiteral(" (") + file.errorString() + QLatin1Char(')'));
    }
}

QString FileWord(const QString& word)
{
    QString out;
    for (const QChar c : word.toLower())
        if (c.isLetterOrNumber())
            out += c;
    return out;
}

QString ExportedMessage(const KVGlobal& g, const QStringList& paths)
{
    return g.Translate(QStringLiteral("Opgeslagen in de documentenmap:")) + QLatin1Char('\n') + paths.join(QLatin1Char('\n'));
}

} // namespace TicketExport
