#include "ReportDocument.h"

#include "TicketExport.h"
#include "app/KVGlobal.h"
#include "app/Language.h"
#include "app/Resources.h"
#include "document/Amounts.h"
#include "document/KVGrid.h"
#include "document/PdfExport.h"
#include "document/Sheet.h"

namespace ReportDocument {
namespace {

constexpr int kColumns = 10;
constexpr int kTitleRows = 5;
constexpr int kChartRow = 6;
constexpr int kChartRows = 15;
constexpr int kHeaderRow = kChartRow + kChartRows;
constexpr int kTableFont = 9;

QString capCaption(const KVGlobal& g, const char* name) { return CapitalizeFirst(g.jargon.Caption(QLatin1String(name))); }

// One row of the table: the client over columns 0-2, the month in 3, the figures in 4-9.
void writeRow(Sheet& s, int row, const QStringList& cells, bool shaded, bool bold)
{
    s.Merge(0, row, 3, 1);
    const int columns[] = {0, 3, 4, 5, 6, 7, 8, 9};
    for (int i = 0; i < 8; ++i) {
        const int c = columns[i];
        s.SetText(c, row, i < cells.size() ? cells[i] : QString());
        s.SetFontSize(c, row, kTableFont);
        s.SetBold(c, row, bold);
        s.SetAlignment(c, row, c >= 4 ? SheetAlign::Trailing : SheetAlign::Leading);
        if (shaded)
            s.SetColor(c, row, DocumentShade);
    }
}

QStringList figures(const ReportRow& r)
{
    return {TimeText(r.work), TimeText(r.overtime), TimeText(r.travel), QString::number(r.distance),
            AmountText(r.totalEx), AmountText(r.totalInc)};
}

QString clientText(const KVGlobal& g, const QString& client)
{
    return client.isEmpty() ? QStringLiteral("(") + g.Translate(QStringLiteral("Geen opdrachtgever")) + QLatin1Char(')')
                            : client;
}

} // namespace

void Build(const KVGlobal& g, const TicketReportData& report, const QImage& chart, Sheet& s)
{
    QList<ReportRow> rows = report.rows;
    const bool byClient = rows.size() > PageRows;
    if (byClient)
        rows = TicketReport::ByClient(report, PageRows, g.Translate(QStringLiteral("Overige opdrachtgevers")));

    s.BeginUpdate();
    s.Clear();
    s.onGetCellLayout = nullptr;
    s.Resize(kColumns, kHeaderRow + 1 + int(rows.size()) + 1);
    s.printCellBackground = PrintCellBackground::Full;
    for (int c = 0; c < kColumns; ++c)
        s.SetWordWrap(c, false);

    // Logo and title block, as on the ticket.
    InitCoreResources();
    s.images.Set(QStringLiteral("logo"), g.logo.isNull() ? QImage(QStringLiteral(":/images/logo.png")) : g.logo);
    s.Merge(0, 0, 7, kTitleRows);
    s.SetImage(0, 0, QStringLiteral("logo"), SheetAlign::Leading);
    s.Merge(7, 0, 3, 3);
    s.SetText(7, 0, g.Translate(QStringLiteral("Rapport")));
    s.SetFontSize(7, 0, 22);
    s.SetBold(7, 0, true);
    s.SetAlignment(7, 0, SheetAlign::Center);
    s.Merge(7, 3, 3, 1);
    s.SetText(7, 3, report.period.Text());
    s.SetAlignment(7, 3, SheetAlign::Center);
    s.Merge(7, 4, 3, 1);
    s.SetText(7, 4, g.settings.pro.bedrijf);
    s.SetAlignment(7, 4, SheetAlign::Center);
    s.Merge(0, kTitleRows, kColumns, 1);
    s.SetColor(0, kTitleRows, DocumentShade);

    s.Merge(0, kChartRow, kColumns, kChartRows);
    if (!chart.isNull())
        s.SetBitmap(0, kChartRow, chart, SheetAlign::Center);

    writeRow(s, kHeaderRow,
             {capCaption(g, "ListBoxItemOpdrachtgever"), g.Translate(QStringLiteral("Maand")),
              capCaption(g, "ListBoxItemWerktijd"), capCaption(g, "ListBoxItemOverwerk"),
              capCaption(g, "ListBoxItemReistijd"), g.settings.branche.afstand,
              g.Translate(QStringLiteral("Totaal")) + QStringLiteral(" Ex"),
              g.Translate(QStringLiteral("Totaal")) + QStringLiteral(" Inc")},
             true, true);
    int row = kHeaderRow + 1;
    for (const ReportRow& r : rows) {
        QStringList cells = {clientText(g, r.client), byClient ? QString() : TicketReport::MonthText(g, r.month)};
        cells << figures(r);
        writeRow(s, row++, cells, false, false);
    }
    QStringList totals = {g.Translate(QStringLiteral("Totaal")), QString()};
    totals << figures(report.totals);
    writeRow(s, row, totals, true, true);
    s.EndUpdate();
}

QString PdfPath(const KVGlobal& g, const ReportPeriod& period)
{
    QString word = TicketExport::FileWord(g.Translate(QStringLiteral("Rapport")));
    if (word.isEmpty())
        word = QStringLiteral("rapport");
    return g.DocumentsFolder() + EditionInfo::PdfFileWord(g.edition) + QLatin1Char('-') + word + QLatin1Char('-')
         + period.FileText() + QStringLiteral(".pdf");
}

QString ExportPdf(KVGlobal& g, const TicketReportData& report, const QImage& chart)
{
    Sheet sheet;
    Build(g, report, chart, sheet);
    const QString path = PdfPath(g, report.period);
    TicketExport::WriteFile(g, path, RenderSheetPdf(sheet));
    return path;
}

} // namespace ReportDocument
