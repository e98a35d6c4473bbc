#pragma once
#include "office/TicketReport.h"

#include <QImage>
#include <QSize>

class KVGlobal;
class QChart;

// The chart of the report: the hours of each kind (work, overtime, travel) as stacked bars,
// per month when the report spans several months, else per client (the eight with the most
// amount, the others together in one bar).
namespace ReportChart {

// A new chart for the report; the caller owns it (a chart view takes it over).
QChart* Build(const KVGlobal& g, const TicketReportData& report);
// The same chart laid out at this size and drawn on a white image `scale` times as large, for
// the report's PDF.
QImage Render(const KVGlobal& g, const TicketReportData& report, const QSize& size, qreal scale = 2);

} // namespace ReportChart
