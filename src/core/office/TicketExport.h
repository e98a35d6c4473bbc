#pragma once
#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <optional>

class KVGlobal;

// The overview's tickets as spreadsheet files: one row per ticket (number, date, client, work
// location, the hours of each kind, distance, the three totals, signed) and one row per parts
// line, as CSV (two files) or XLSX (two sheets), written to the documents folder under a name
// of the period the tickets cover.

enum class ExportFormat { Csv, Xlsx };

// One parts line of an exported ticket.
struct ExportPartLine {
    bool used = true; // a used line, else a needed one
    QString bestelnr;
    qint64 aantal = 0;
    QString omschr;
    double prijs = 0;
};

// What the export writes of one stored ticket. The amounts are those of its document, absent
// when the document computes none (autocomp off).
struct ExportTicket {
    QString bonnr, datum, opdrachtgever, werklocatie;
    double work = 0, overtime = 0, travel = 0;
    qint64 distance = 0;
    std::optional<double> totalEx, vat, totalInc;
    bool ondertekend = false;
    QList<ExportPartLine> lines; // used lines first, as on the ticket
};

// A sheet of the export in a form both writers take: typed columns and rows of values. A
// null value is an empty cell; a Date column holds a QDate, or the stored text when the
// ticket's date cannot be read.
enum class CellKind { Text, Date, Hours, Integer, Amount, Boolean };
struct ExportColumn {
    QString header;
    CellKind kind;
};
struct ExportTable {
    QString name;
    QList<ExportColumn> columns;
    QList<QVector<QVariant>> rows;
};

// How numbers and fields are written into CSV: the separator and decimal mark of the language.
struct CsvStyle {
    QChar separator = QLatin1Char(';');
    QChar decimalMark = QLatin1Char(',');
    QString yes, no;
};

namespace TicketExport {

// The rowids of the bon cursor's rows at positions first .. last (0-based, in its order),
// leaving out positions past the end.
QList<qint64> RowIds(KVGlobal& g, int first, int last);
// The tickets of these rows, in this order; a rowid with no row is left out.
QList<ExportTicket> ReadTickets(KVGlobal& g, const QList<qint64>& rowids);

// The ticket sheet and the parts sheet, with the headers in the current language and terms.
ExportTable TicketTable(const KVGlobal& g, const QList<ExportTicket>& tickets);
ExportTable PartsTable(const KVGlobal& g, const QList<ExportTicket>& tickets);

// ";" and "," for every language but English, which takes "," and ".".
CsvStyle CsvStyleFor(const KVGlobal& g);
// A table as CSV: UTF-8 with a byte-order mark, CR LF after every record, fields quoted as
// RFC 4180 says (when they hold the separator, a quote or a line break; quotes doubled).
// A text that a spreadsheet would take for a formula (starting with =, +, -, @) is written
// with a leading apostrophe, so opening the file runs nothing.
QByteArray CsvDocument(const ExportTable& table, const CsvStyle& style);
// Both tables as one XLSX workbook: typed cells (numbers, dates, booleans), a bold header row,
// header row and first column frozen, column widths that fit the contents. Throws KVError.
QByteArray XlsxDocument(const QList<ExportTable>& tables);

// The period of the tickets' dates in a file name: "2021-03" when they fall in one month,
// "2021-03-05" on one day, else "2021-03-01_2021-04-15"; today's date when none has a date.
QString PeriodName(const QList<ExportTicket>& tickets, const QDate& today);

// Exports the tickets at overview positions first .. last and returns the paths written: for
// CSV the tickets file and the parts file, for XLSX the workbook. Files are replaced whole or
// not at all; a file that cannot be written throws KVError naming it.
QStringList Export(KVGlobal& g, int first, int last, ExportFormat format);
// The message after an export: where the files are.
QString ExportedMessage(const KVGlobal& g, const QStringList& paths);

// Replaces the file at path with bytes, whole or not at all; a failure throws KVError with
// "Kan het bestand niet schrijven:" (translated), the path and the reason.
void WriteFile(const KVGlobal& g, const QString& path, const QByteArray& bytes);
// The letters and digits of a word in lower case, for a file name ("Onderdelen" -> "onderdelen").
QString FileWord(const QString& word);

} // namespace TicketExport
