#pragma once
#include "TicketReport.h"

#include <QImage>
#include <QString>

class KVGlobal;
class Sheet;

// The report as a one-page document on the ticket's grid of ten columns, drawn by the same
// SheetPainter as the ticket: the logo and title block, the chart, then one row per month and
// client with the hours of each kind, distance and the totals without and with VAT, and a row
// of totals. A report with more rows than the page holds is summed per client, the largest
// first, the smallest together in one last row.
namespace ReportDocument {

// The data rows a page holds below the chart.
constexpr int PageRows = 30;

// Writes the report into sheet (cleared first). chart is drawn in the chart block, scaled with
// its aspect ratio kept; a null image leaves the block empty.
void Build(const KVGlobal& g, const TicketReportData& report, const QImage& chart, Sheet& sheet);

// The PDF's path: the documents folder, the edition's file word, "rapport" (in the language)
// and the period: kolvarn-rapport-2021-03.pdf.
QString PdfPath(const KVGlobal& g, const ReportPeriod& period);
// Builds the report's sheet and writes it as an A4 PDF to PdfPath, whole or not at all;
// returns the path. A file that cannot be written throws KVError naming it.
QString ExportPdf(KVGlobal& g, const TicketReportData& report, const QImage& chart);

} // namespace ReportDocument
