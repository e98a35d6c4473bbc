#include "ReportPage.h"

#include "ReportChart.h"
#include "ReportTableModel.h"
#include "app/KVGlobal.h"
#include "app/Language.h"
#include "app/TFMain.h"
#include "document/Amounts.h"
#include "office/ReportDocument.h"

#include <QChart>
#include <QChartView>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QTabBar>
#include <QTableView>
#include <QVBoxLayout>

namespace {

const QString kPage = QStringLiteral("TabItemRapport");

// The chart block of the report's document is 10 columns by 15 rows of the sheet.
const QSize kPdfChartSize(795, 326);

// The period tabs, in order, with their captions.
const std::pair<const char*, const char*> kPeriods[] = {
    {"TabRapportWeek", "Deze week"},
    {"TabRapportMaand", "Deze maand"},
    {"TabRapportVorigeMaand", "Vorige maand"},
    {"TabRapportPeriode", "Periode"},
};
constexpr ReportPeriod::Kind kKinds[] = {ReportPeriod::Kind::ThisWeek, ReportPeriod::Kind::ThisMonth,
                                        ReportPeriod::Kind::LastMonth, ReportPeriod::Kind::Range};
constexpr int kRangeTab = 3;

QDateEdit* dateEdit(const QString& name, QWidget* parent)
{
    auto* e = new QDateEdit(parent);
    e->setObjectName(name);
    e->setDisplayFormat(QStringLiteral("dd-MM-yyyy"));
    e->setCalendarPopup(true);
    return e;
}

} // namespace

ReportPage::ReportPage(TFMain& w) : KVPage(kPage), m_w(w), m_g(w.global())
{
    KVJargon& j = m_g.jargon;
    topBar()->title()->setObjectName(QStringLiteral("LabelRapport"));
    BindCaption(j, topBar()->title(), QStringLiteral("LabelRapport"), QStringLiteral("Rapport"));
    auto* back = topBar()->addLeft(QStringLiteral("SBRapportTerug"), QString());
    BindCaption(j, back, QStringLiteral("SBRapportTerug"), QStringLiteral("Terug"));
    auto* pdf = topBar()->addRight(QStringLiteral("SBRapportPDF"), QStringLiteral("PDF"));
    connect(back, &QAbstractButton::clicked, this, [this] { m_w.ShowPage(QStringLiteral("TabItemMain")); });
    connect(pdf, &QAbstractButton::clicked, this, &ReportPage::SBRapportPDFClick);

    auto* controls = new QWidget(body());
    auto* cv = new QVBoxLayout(controls);
    cv->setContentsMargins(8, 8, 8, 4);
    m_periods = new QTabBar(controls);
    m_periods->setObjectName(QStringLiteral("TabBarPeriode"));
    m_periods->setExpanding(true);
    m_periods->setDrawBase(false);
    for (const auto& [name, caption] : kPeriods) {
        const QString captionName = QLatin1String(name);
        j.Register(captionName, QString::fromUtf8(caption));
        m_periods->addTab(j.Caption(captionName));
    }
    connect(&j, &KVJargon::CaptionChanged, m_periods, [this](const QString& name, const QString& text) {
        for (int i = 0; i < int(std::size(kPeriods)); ++i)
            if (name == QLatin1String(kPeriods[i].first))
                m_periods->setTabText(i, text);
    });
    cv->addWidget(m_periods);

    m_range = new QWidget(controls);
    auto* rv = new QHBoxLayout(m_range);
    rv->setContentsMargins(0, 4, 0, 0);
    auto* fromLabel = new QLabel(m_range);
    BindCaption(j, fromLabel, QStringLiteral("LabelRapportVan"), QStringLiteral("Van"));
    auto* toLabel = new QLabel(m_range);
    BindCaption(j, toLabel, QStringLiteral("LabelRapportTot"), QStringLiteral("Tot en met"));
    m_from = dateEdit(QStringLiteral("DateEditVan"), m_range);
    m_to = dateEdit(QStringLiteral("DateEditTot"), m_range);
    rv->addWidget(fromLabel);
    rv->addWidget(m_from, 1);
    rv->addWidget(toLabel);
    rv->addWidget(m_to, 1);
    m_range->hide();
    cv->addWidget(m_range);

    m_totals = new QLabel(controls);
    m_totals->setObjectName(QStringLiteral("LabelRapportTotalen"));
    m_totals->setWordWrap(true);
    m_totals->setStyleSheet(QStringLiteral("color: #1F4E79; padding-top: 4px;"));
    cv->addWidget(m_totals);
    bodyLayout()->addWidget(controls);

    m_chart = new QChartView(body());
    m_chart->setObjectName(QStringLiteral("ChartRapport"));
    m_chart->setRenderHint(QPainter::Antialiasing);
    m_chart->setMinimumHeight(200);
    bodyLayout()->addWidget(m_chart, 3);

    m_rows = new ReportTableModel(m_g, this);
    m_table = new QTableView(body());
    m_table->setModel(m_rows);
    m_table->setObjectName(QStringLiteral("GridRapport"));
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionMode(QAbstractItemView::NoSelection);
    m_table->verticalHeader()->hide();
    m_table->setWordWrap(false);
    bodyLayout()->addWidget(m_table, 4);

    // The first time it opens, the page shows this month.
    m_periods->setCurrentIndex(1);
    const QDate today = m_g.seams.Now().date();
    m_from->setDate(QDate(today.year(), today.month(), 1));
    m_to->setDate(today);
    connect(m_periods, &QTabBar::currentChanged, this, [this](int index) {
        m_range->setVisible(index == kRangeTab);
        Refresh();
    });
    connect(m_from, &QDateEdit::dateChanged, this, [this] {
        if (m_periods->currentIndex() == kRangeTab)
            Refresh();
    });
    connect(m_to, &QDateEdit::dateChanged, this, [this] {
        if (m_periods->currentIndex() == kRangeTab)
            Refresh();
    });
    w.AddPage(this);
}

ReportPeriod ReportPage::ChosenPeriod() const
{
    const int index = std::clamp(m_periods->currentIndex(), 0, int(std::size(kKinds)) - 1);
    return ReportPeriod::Of(kKinds[index], m_g.seams.Now().date(), m_from->date(), m_to->date());
}

void ReportPage::ListBoxItemRapportClick()
{
    Refresh();
    m_w.ShowPage(kPage);
}

void ReportPage::Refresh()
{
    m_report = TicketReport::Compute(m_g, ChosenPeriod());
    showReport();
}

void ReportPage::showReport()
{
    QChart* old = m_chart->chart();
    m_chart->setChart(ReportChart::Build(m_g, m_report));
    delete old; // the view lets go of its previous chart without deleting it
    fillTable();
    m_totals->setText(totalsText());
}

void ReportPage::fillTable()
{
    m_rows->SetReport(m_report);
    m_table->resizeColumnsToContents();
}

QString ReportPage::totalsText() const
{
    auto caption = [this](const char* name) { return CapitalizeFirst(m_g.jargon.Caption(QLatin1String(name))); };
    const ReportRow& t = m_report.totals;
    const QString dot = QStringLiteral(" \u00B7 ");
    const QString total = m_g.Translate(QStringLiteral("Totaal"));
    return m_report.period.Text() + dot + QString::number(t.tickets) + QLatin1Char(' ')
         + m_g.Translate(QStringLiteral("Bonnen")).toLower() + QLatin1Char('\n') + caption("ListBoxItemWerktijd")
         + QLatin1Char(' ') + TimeText(t.work) + dot + caption("ListBoxItemOverwerk") + QLatin1Char(' ')
         + TimeText(t.overtime) + dot + caption("ListBoxItemReistijd") + QLatin1Char(' ') + TimeText(t.travel) + dot
         + m_g.settings.branche.afstand + QLatin1Char(' ') + QString::number(t.distance) + QLatin1Char('\n') + total
         + QStringLiteral(" Ex ") + AmountText(t.totalEx) + dot + m_g.Translate(QStringLiteral("BTW")) + QLatin1Char(' ')
         + AmountText(t.vat) + dot + total + QStringLiteral(" Inc ") + AmountText(t.totalInc);
}

void ReportPage::SBRapportPDFClick()
{
    const QImage chart = ReportChart::Render(m_g, m_report, kPdfChartSize);
    const QString path = ReportDocument::ExportPdf(m_g, m_report, chart);
    m_g.seams.ShowMessage(m_g.Translate(QStringLiteral("Opgeslagen in de documentenmap:")) + QLatin1Char('\n') + path);
}
