#include "PreviewPage.h"

#include "SheetView.h"
#include "app/KVWidgets.h"
#include "app/ProgressOverlay.h"
#include "app/TFMain.h"
#include "document/KVGrid.h"
#include "document/Mail.h"
#include "document/PdfExport.h"

#include <QApplication>
#include <QToolButton>
#include <QVBoxLayout>

PreviewPage::PreviewPage(TFMain& w) : QObject(&w), m_w(w), m_g(w.global())
{
    KVJargon& j = m_g.jargon;
    m_page = new KVPage(QStringLiteral("TabItemInfo"));
    BindCaption(j, m_page->topBar()->title(), QStringLiteral("LabelInfo"), QStringLiteral("Bekijk"));
    auto* back = m_page->topBar()->addLeft(QStringLiteral("SBInfoTerug"), QString());
    BindCaption(j, back, QStringLiteral("SBInfoTerug"), QStringLiteral("Terug"));
    auto* mail = m_page->topBar()->addRight(QStringLiteral("SBInfoEmail"), QStringLiteral("E-mail"));
    m_view = new SheetView(m_g, m_page->body());
    m_page->bodyLayout()->addWidget(m_view, 1);

    connect(back, &QToolButton::clicked, this, &PreviewPage::SBInfoTerugClick);
    connect(mail, &QToolButton::clicked, this, &PreviewPage::SBInfoEmailClick);
    connect(m_view, &SheetView::signatureBlockTapped, this, &PreviewPage::SignRequested);
    m_w.AddPage(m_page);
}

void PreviewPage::ListBoxItemBekijkClick()
{
    m_w.ShowPage(QStringLiteral("TabItemInfo"));
    FillDocument(m_g);
}

void PreviewPage::SBInfoTerugClick()
{
    m_view->ResetZoom();
    m_w.ShowPage(QStringLiteral("TabItemMain"));
}

void PreviewPage::SBInfoEmailClick()
{
    ProgressOverlay* progress = m_w.Progress();
    const QString sending = m_g.Translate(QStringLiteral("E-mail wordt verstuurd"));
    SBBekijkMailClick(
        m_g, [this] { return ExportTicketPdf(m_g); },
        [progress, sending](bool busy) {
            if (busy) {
                QApplication::setOverrideCursor(Qt::WaitCursor);
                progress->Bytes(sending, 0, 0);
            } else {
                progress->Finish();
                QApplication::restoreOverrideCursor();
            }
        },
        [progress, sending](qint64 sent, qint64 total) { progress->Bytes(sending, sent, total); });
}
