#include "OfficeTickets.h"
#include "app/KVError.h"
#include "app/Language.h"
#include "office/TicketExport.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonObject>

using namespace office;

namespace {

// Reads a CSV file with Python's csv module: whether it starts with a byte-order mark, how many
// CR LF it holds, and the records.
const char* const kReadCsv = R"(
import csv, json, sys
raw = open(sys.argv[1], 'rb').read()
text = raw.decode('utf-8-sig')
rows = list(csv.reader(open(sys.argv[1], newline='', encoding='utf-8-sig'), delimiter=sys.argv[2]))
print(json.dumps({'bom': raw.startswith(b'\xef\xbb\xbf'), 'crlf': text.count('\r\n'), 'rows': rows}))
)";

// Reads an XLSX workbook with openpyxl: per sheet its name, frozen cell, column widths and
// every cell with its value, Python type, number format and boldness.
const char* const kReadXlsx = R"(
import json, sys, datetime, openpyxl
wb = openpyxl.load_workbook(sys.argv[1])
out = []
for ws in wb.worksheets:
    rows = []
    for row in ws.iter_rows():
        cells = []
        for c in row:
            v = c.value
            if isinstance(v, datetime.datetime):
                v = v.date().isoformat()
            cells.append({'v': v, 't': type(c.value).__name__, 'fmt': c.number_format, 'bold': bool(c.font.b), 'date': c.is_date})
        rows.append(cells)
    widths = {k: d.width for k, d in ws.column_dimensions.items()}
    out.append({'name': ws.title, 'freeze': ws.freeze_panes, 'widths': widths, 'rows': rows})
print(json.dumps(out))
)";

const QString kClient = QStringLiteral("Bakker; \"Zn\"\nInstallatie");
const QString kLocation = QString::fromUtf8("Ede–Zuid, ë € ß");

// Three tickets of March 2021: signed with hours, parts and a formula-like part text; prices
// with VAT included; no computed amounts.
struct MarchTickets : StoreApp {
    explicit MarchTickets(Edition edition = Edition::Dutch) : StoreApp(edition)
    {
        ApplyLanguageIndex(*g, g->settings.branche.taal);
        TicketSpec a;
        a.datum = QStringLiteral("05-03-2021");
        a.client = kClient;
        a.location = kLocation;
        a.work = 7.5;
        a.overtime = 1.5;
        a.travel = 0.5;
        a.km = 12;
        a.used = {Part(QStringLiteral("P1"), 2, 60.5, QStringLiteral("=SUM(A1)"))};
        a.needed = {Part(QStringLiteral("P2"), 1, 10)};
        a.signed_ = true;
        ids << StoreTicket(*g, a);
        TicketSpec b;
        b.datum = QStringLiteral("19-03-2021");
        b.client = QStringLiteral("Gemeente Ede");
        b.used = {Part(QStringLiteral("P3"), 2, 60.5)};
        b.prijsinc = true;
        ids << StoreTicket(*g, b);
        TicketSpec c;
        c.datum = QStringLiteral("31-03-2021");
        c.client = QStringLiteral("Visser");
        c.work = 8;
        c.autocomp = false;
        ids << StoreTicket(*g, c);
    }
    QString docsFile(const QString& name) const { return docs.file(name); }
    QStringList ids;
};

QStringList strings(const QJsonValue& row)
{
    QStringList out;
    for (const QJsonValue& v : row.toArray())
        out << v.toString();
    return out;
}

QString amount(double v, QChar mark)
{
    QString s = AmountText(v);
    s.replace(QLatin1Char(','), mark);
    return s;
}

} // namespace

TEST(TicketExport, CsvReadsBackWithPythonsCsvModule)
{
    MarchTickets app;
    const QStringList paths = TicketExport::Export(*app.g, 0, 2, ExportFormat::Csv);
    ASSERT_EQ(paths, QStringList({app.docsFile("kolvarn-2021-03.csv"), app.docsFile("kolvarn-2021-03-onderdelen.csv")}));
    EXPECT_EQ(app.rec.messages, QStringList());

    const QJsonObject tickets = ReadWithPython(kReadCsv, {paths[0], ";"}).object();
    EXPECT_TRUE(tickets["bom"].toBool());
    const QJsonArray rows = tickets["rows"].toArray();
    ASSERT_EQ(rows.size(), 4);
    EXPECT_EQ(tickets["crlf"].toInt(), 4); // one after every record; the client's own line break is a bare LF
    EXPECT_EQ(strings(rows[0]), QStringList({"Bonnr", "Datum", "Opdrachtgever", "Werklocatie", "Werktijd", "Overwerk",
                                             "Reistijd", "Km", "Totaal Ex", "BTW", "Totaal Inc", "Ondertekend"}));
    // Hours 2 x 7.5 at 45, 2 x 1.5 at 60, 2 x 0.5 at 40, 24 km at 0.35, parts 121: 1024.40.
    const DocumentTotals a = TotalsOf(*app.g, app.ids[0]);
    EXPECT_EQ(strings(rows[1]), QStringList({"1-20200001", "2021-03-05", kClient, kLocation, "15", "3", "1", "24",
                                             "1024,40", amount(a.vat, ','), amount(a.inc, ','), "Ja"}));
    // Prices with VAT: 121.00 includes 21.00 of VAT.
    EXPECT_EQ(strings(rows[2]).mid(8), QStringList({"100,00", "21,00", "121,00", "Nee"}));
    // No computed amounts: the cells stay empty, the hours are there.
    EXPECT_EQ(strings(rows[3]).mid(4), QStringList({"16", "0", "0", "0", "", "", "", "Nee"}));

    const QJsonArray parts = ReadWithPython(kReadCsv, {paths[1], ";"}).object()["rows"].toArray();
    ASSERT_EQ(parts.size(), 4);
    EXPECT_EQ(strings(parts[0]), QStringList({"Bonnr", "Soort", "Bestelnr", "Aantal", "Omschrijving", "Prijs", "Bedrag"}));
    // A text a spreadsheet would run as a formula keeps a leading apostrophe.
    EXPECT_EQ(strings(parts[1]), QStringList({"1-20200001", "Gebruikt", "P1", "2", "'=SUM(A1)", "60,50", "121,00"}));
    // Needed parts carry their price but no amount.
    EXPECT_EQ(strings(parts[2]), QStringList({"1-20200001", "Benodigd", "P2", "1", "Onderdeel P2", "10,00", ""}));
    EXPECT_EQ(strings(parts[3]).first(), "1-20200002");
}

TEST(TicketExport, EnglishCsvUsesCommaAndPoint)
{
    MarchTickets app(Edition::English);
    ASSERT_EQ(app.g->jargon.LanguageCode(), "us");
    const QStringList paths = TicketExport::Export(*app.g, 0, 2, ExportFormat::Csv);
    EXPECT_EQ(paths[0], app.docsFile("tralvenor-2021-03.csv"));
    EXPECT_EQ(paths[1], app.docsFile("tralvenor-2021-03-parts.csv"));
    const QJsonArray rows = ReadWithPython(kReadCsv, {paths[0], ","}).object()["rows"].toArray();
    ASSERT_EQ(rows.size(), 4);
    EXPECT_EQ(strings(rows[0]).first(), "Receiptnr");
    EXPECT_EQ(strings(rows[1]).mid(3, 6), QStringList({kLocation, "15", "3", "1", "24", "1024.40"}));
    EXPECT_EQ(strings(rows[1]).last(), "Yes");
}

TEST(TicketExport, XlsxHasTypedCellsFrozenHeaderAndFittingColumns)
{
    MarchTickets app;
    const QStringList paths = TicketExport::Export(*app.g, 0, 2, ExportFormat::Xlsx);
    ASSERT_EQ(paths, QStringList({app.docsFile("kolvarn-2021-03.xlsx")}));
    const QJsonArray sheets = ReadWithPython(kReadXlsx, {paths[0]}).array();
    ASSERT_EQ(sheets.size(), 2);

    const QJsonObject tickets = sheets[0].toObject();
    EXPECT_EQ(tickets["name"].toString(), "Kolvarn");
    EXPECT_EQ(tickets["freeze"].toString(), "B2");
    const QJsonArray rows = tickets["rows"].toArray();
    ASSERT_EQ(rows.size(), 4);
    const QJsonArray header = rows[0].toArray();
    EXPECT_EQ(header[2].toObject()["v"].toString(), "Opdrachtgever");
    EXPECT_TRUE(header[2].toObject()["bold"].toBool());

    const DocumentTotals a = TotalsOf(*app.g, app.ids[0]);
    const QJsonArray first = rows[1].toArray();
    auto cell = [&](int c) { return first[c].toObject(); };
    EXPECT_EQ(cell(0)["t"].toString(), "str");
    EXPECT_EQ(cell(0)["v"].toString(), "1-20200001");
    EXPECT_TRUE(cell(1)["date"].toBool());
    EXPECT_EQ(cell(1)["v"].toString(), "2021-03-05");
    EXPECT_EQ(cell(2)["v"].toString(), kClient);
    for (int c : {4, 5, 6, 7, 8, 9, 10})
        EXPECT_TRUE(cell(c)["t"] == "int" || cell(c)["t"] == "float") << c;
    EXPECT_DOUBLE_EQ(cell(4)["v"].toDouble(), 15);
    EXPECT_EQ(cell(7)["v"].toInt(), 24);
    EXPECT_DOUBLE_EQ(cell(8)["v"].toDouble(), 1024.4);
    EXPECT_DOUBLE_EQ(cell(9)["v"].toDouble(), 215.12); // rounded to the cent, as the document shows it
    EXPECT_NEAR(cell(10)["v"].toDouble(), a.inc, 0.005);
    EXPECT_EQ(cell(8)["fmt"].toString(), "0.00");
    EXPECT_EQ(cell(11)["t"].toString(), "bool");
    EXPECT_TRUE(cell(11)["v"].toBool());
    // No computed amounts: empty cells.
    const QJsonArray third = rows[3].toArray();
    EXPECT_TRUE(third[8].toObject()["v"].isNull());
    EXPECT_FALSE(third[11].toObject()["v"].toBool());
    // The client column is as wide as its longest value; the date column fits a date.
    const QJsonObject widths = tickets["widths"].toObject();
    EXPECT_GE(widths["C"].toDouble(), kClient.size());
    EXPECT_GE(widths["B"].toDouble(), 10);

    const QJsonObject parts = sheets[1].toObject();
    EXPECT_EQ(parts["name"].toString(), "Onderdelen");
    EXPECT_EQ(parts["freeze"].toString(), "B2");
    const QJsonArray lines = parts["rows"].toArray();
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[1].toArray()[3].toObject()["t"].toString(), "int");
    EXPECT_EQ(lines[1].toArray()[4].toObject()["v"].toString(), "=SUM(A1)"); // a text cell, never a formula
    EXPECT_EQ(lines[1].toArray()[4].toObject()["t"].toString(), "str");
    EXPECT_DOUBLE_EQ(lines[1].toArray()[6].toObject()["v"].toDouble(), 121);
    EXPECT_TRUE(lines[2].toArray()[6].toObject()["v"].isNull());
}

TEST(TicketExport, SelectionFollowsTheOverviewOrder)
{
    MarchTickets app;
    app.g->BonTable().SetSortColumn(QStringLiteral("opdrachtgever"));
    // Sorted by client: Bakker, Gemeente Ede, Visser. Rows past the end are left out.
    const QList<ExportTicket> tickets = TicketExport::ReadTickets(*app.g, TicketExport::RowIds(*app.g, 1, 99));
    ASSERT_EQ(tickets.size(), 2);
    EXPECT_EQ(tickets[0].opdrachtgever, "Gemeente Ede");
    EXPECT_EQ(tickets[1].opdrachtgever, "Visser");
    EXPECT_TRUE(TicketExport::RowIds(*app.g, -1, -1).isEmpty());
}

TEST(TicketExport, PeriodNames)
{
    auto ticket = [](const char* datum) {
        ExportTicket t;
        t.datum = QLatin1String(datum);
        return t;
    };
    const QDate today(2021, 3, 3);
    struct Case {
        QList<ExportTicket> tickets;
        const char* name;
    };
    const Case cases[] = {
        {{}, "2021-03-03"},
        {{ticket("05-03-2021"), ticket("05-03-2021")}, "2021-03-05"},
        {{ticket("31-03-2021"), ticket("01-03-2021"), ticket("")}, "2021-03"},
        {{ticket("27-02-2021"), ticket("2021-03-09"), ticket("02-03-2021")}, "2021-02-27_2021-03-02"},
        {{ticket("kapot")}, "2021-03-03"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TicketExport::PeriodName(c.tickets, today), QLatin1String(c.name));
}

TEST(TicketExport, CsvFieldsAreQuotedAndGuarded)
{
    ExportTable table;
    table.columns = {{QStringLiteral("tekst"), CellKind::Text}, {QStringLiteral("bedrag"), CellKind::Amount},
                     {QStringLiteral("uren"), CellKind::Hours}};
    struct Case {
        QVariant text, amount, hours;
        const char* line;
    };
    const Case cases[] = {
        {QStringLiteral("gewoon"), 12.5, 1.25, "gewoon;12,50;1,25"},
        {QStringLiteral("a;b"), QVariant(), 0.0, "\"a;b\";;0"},
        {QStringLiteral("zei \"ja\""), -5.0, 7.5, "\"zei \"\"ja\"\"\";-5,00;7,5"},
        {QStringLiteral("twee\r\nregels"), 0.004, 1.0 / 3, "\"twee\r\nregels\";0,00;0,3333333333333333"},
        {QStringLiteral("+31 6 123"), 1e9, 40.0, "'+31 6 123;1e+09;40"},
        {QStringLiteral("@cmd"), QVariant(), QVariant(), "'@cmd;;"},
        {QStringLiteral("-korting"), QVariant(), QVariant(), "'-korting;;"},
    };
    CsvStyle style;
    style.yes = QStringLiteral("Ja");
    style.no = QStringLiteral("Nee");
    for (const Case& c : cases) {
        table.rows = {{c.text, c.amount, c.hours}};
        const QByteArray csv = TicketExport::CsvDocument(table, style);
        EXPECT_EQ(csv, QByteArray("\xEF\xBB\xBFtekst;bedrag;uren\r\n") + c.line + "\r\n") << c.line;
    }
}

TEST(TicketExport, AFileThatCannotBeWrittenEndsTheExportNamingIt)
{
    MarchTickets app;
    const QString blocked = app.docsFile("kolvarn-2021-03.xlsx");
    ASSERT_TRUE(QDir().mkpath(blocked)); // a folder where the workbook should go
    try {
        TicketExport::Export(*app.g, 0, 2, ExportFormat::Xlsx);
        FAIL() << "no error";
    } catch (const KVError& e) {
        EXPECT_TRUE(e.text().startsWith("Kan het bestand niet schrijven: " + blocked)) << e.text().toStdString();
    }
}
