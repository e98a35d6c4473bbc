#include "OverviewExport.h"

#include "app/KVGlobal.h"
#include "app/KVWidgets.h"
#include "app/Popups.h"
#include "app/TFMain.h"
#include "catalogue/CursorGrid.h"
#include "catalogue/CursorModel.h"
#include "catalogue/OverviewPage.h"
#include "office/TicketExport.h"

#include <QHBoxLayout>

namespace {
const QString kCsv = QStringLiteral("ListBoxItemExportCSV");
const QString kXlsx = QStringLiteral("ListBoxItemExportXLSX");
}

OverviewExport::OverviewExport(TFMain& w, OverviewPage& overview) : QObject(&w), m_g(w.global()), m_overview(overview)
{
    // The export button stands before "+", the last button of the overview's bottom bar.
    KVPage* page = overview.page();
    m_export = new KVSpeedButton(QStringLiteral("SBExportKV"), QString(), page);
    BindCaption(m_g.jargon, m_export, QStringLiteral("SBExportKV"), QStringLiteral("Export"));
    m_export->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_export->setIcon(QIcon(QStringLiteral(":/ui/icons/export.svg")));
    const int s = m_export->fontMetrics().height() * 2;
    m_export->setIconSize(QSize(s, s));
    m_export->setToolButtonStyle(Qt::ToolButtonIconOnly);
    QHBoxLayout* bar = page->bottomBar();
    bar->insertWidget(std::max(0, bar->count() - 1), m_export, 1);
    connect(m_export, &QAbstractButton::clicked, this, &OverviewExport::SBExportKVClick);

    m_exportChoice = new ChoicePopup(QStringLiteral("PopupExport"), &w);
    connect(m_exportChoice, &ChoicePopup::chosen, this, [this](const QString& name) { ExportSelection(name == kXlsx); });
}

void OverviewExport::SBExportKVClick()
{
    const auto [first, last] = m_overview.grid()->grid()->SelectedRange();
    if (first < 0 || last < first) {
        m_g.seams.ShowMessage(m_g.Translate(QStringLiteral("Geen bonnen om te exporteren.")));
        return;
    }
    const int count = last - first + 1;
    m_exportChoice->Open(QString::number(count) + QLatin1Char(' ') + m_g.Translate(QStringLiteral("Bonnen")).toLower(),
                         {{kCsv, QStringLiteral("CSV")}, {kXlsx, QStringLiteral("Excel (XLSX)")}});
}

void OverviewExport::ExportSelection(bool xlsx)
{
    const auto [first, last] = m_overview.grid()->grid()->SelectedRange();
    const QStringList paths =
        TicketExport::Export(m_g, first, last, xlsx ? ExportFormat::Xlsx : ExportFormat::Csv);
    m_g.seams.ShowMessage(TicketExport::ExportedMessage(m_g, paths));
}
