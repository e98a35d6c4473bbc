#include "ReportChart.h"

#include "app/KVGlobal.h"
#include "app/Language.h"

#include <QBarCategoryAxis>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QGraphicsLayout>
#include <QPainter>
#include <QSet>
#include <QStackedBarSeries>
#include <QValueAxis>

namespace ReportChart {
namespace {

constexpr int kClientBars = 8;
constexpr int kLabelLength = 14;

// A category of the chart with its three kinds of hours.
struct Bar {
    QString label;
    double work = 0, overtime = 0, travel = 0;
};

QString shortLabel(const QString& text)
{
    return text.size() <= kLabelLength ? text : text.left(kLabelLength - 1) + QChar(0x2026);
}

QList<Bar> barsOf(const KVGlobal& g, const TicketReportData& report, bool* perMonth)
{
    QSet<QString> months;
    for (const ReportRow& r : report.rows)
        months.insert(r.month);
    *perMonth = months.size() > 1;
    QList<Bar> bars;
    if (*perMonth) {
        for (const ReportRow& r : report.rows) {
            const QString label = TicketReport::MonthText(g, r.month);
            if (bars.isEmpty() || bars.last().label != label)
                bars.append({label});
            bars.last().work += r.work;
            bars.last().overtime += r.overtime;
            bars.last().travel += r.travel;
        }
        return bars;
    }
    const QString others = g.Translate(QStringLiteral("Overige opdrachtgevers"));
    for (const ReportRow& r : TicketReport::ByClient(report, kClientBars, others)) {
        const QString client = r.client.isEmpty() ? QStringLiteral("-") : r.client;
        bars.append({shortLabel(client), r.work, r.overtime, r.travel});
    }
    return bars;
}

} // namespace

QChart* Build(const KVGlobal& g, const TicketReportData& report)
{
    auto* chart = new QChart;
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->setBackgroundRoundness(0);
    chart->layout()->setContentsMargins(0, 0, 0, 0);
    chart->legend()->setAlignment(Qt::AlignBottom);

    bool perMonth = false;
    const QList<Bar> bars = barsOf(g, report, &perMonth);
    if (bars.isEmpty()) {
        chart->setTitle(g.Translate(QStringLiteral("Geen bonnen in deze periode.")));
        chart->legend()->hide();
        return chart;
    }
    chart->setTitle(g.Translate(perMonth ? QStringLiteral("Uren per maand") : QStringLiteral("Uren per opdrachtgever")));

    auto caption = [&g](const char* name) { return CapitalizeFirst(g.jargon.Caption(QLatin1String(name))); };
    auto* work = new QBarSet(caption("ListBoxItemWerktijd"));
    auto* overtime = new QBarSet(caption("ListBoxItemOverwerk"));
    auto* travel = new QBarSet(caption("ListBoxItemReistijd"));
    work->setColor(QColor(0x1F, 0x4E, 0x79));
    overtime->setColor(QColor(0xD9, 0x82, 0x2B));
    travel->setColor(QColor(0x7F, 0xA7, 0xCF));
    QStringList labels;
    double highest = 0;
    for (const Bar& b : bars) {
        labels << b.label;
        *work << b.work;
        *overtime << b.overtime;
        *travel << b.travel;
        highest = std::max(highest, b.work + b.overtime + b.travel);
    }
    for (QBarSet* set : {work, overtime, travel})
        set->setBorderColor(Qt::white);
    auto* series = new QStackedBarSeries;
    series->append(work);
    series->append(overtime);
    series->append(travel);
    chart->addSeries(series);

    auto* x = new QBarCategoryAxis;
    x->append(labels);
    chart->addAxis(x, Qt::AlignBottom);
    series->attachAxis(x);
    auto* y = new QValueAxis;
    y->setRange(0, highest > 0 ? highest * 1.1 : 1);
    y->setLabelFormat(QStringLiteral("%.0f"));
    y->applyNiceNumbers();
    chart->addAxis(y, Qt::AlignLeft);
    series->attachAxis(y);
    return chart;
}

QImage Render(const KVGlobal& g, const TicketReportData& report, const QSize& size, qreal scale)
{
    QChartView view(Build(g, report));
    view.resize(size);
    view.chart()->resize(QSizeF(size));
    QImage image((QSizeF(size) * scale).toSize(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    view.scene()->render(&p, QRectF(image.rect()), view.chart()->rect());
    return image;
}

} // namespace ReportChart
