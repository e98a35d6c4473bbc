#include "OverviewPage.h"

#include "CatalogueIcons.h"
#include "CursorGrid.h"
#include "app/KVGlobal.h"
#include "app/KVWidgets.h"
#include "app/TFMain.h"
#include "catalogue/CursorModel.h"
#include "store/Database.h"
#include "catalogue/TicketOverview.h"
#include "ticket/TicketEditor.h"

#include <QAbstractButton>
#include <QVBoxLayout>

namespace {
const QString kOverview = QStringLiteral("TabItemOverzicht");
const QString kMain = QStringLiteral("TabItemMain");
}

OverviewPage::OverviewPage(TFMain& w) : QObject(&w), m_w(w), m_g(w.global())
{
    KVJargon& j = m_g.jargon;
    m_model = new CursorModel(m_g.BonTable(), TicketOverview::GridColumns(), j, &m_g.db(), this);
    m_page = new KVPage(kOverview);
    QLabel* title = m_page->topBar()->title();
    BindCaption(j, title, QStringLiteral("LabelOverzicht"), QStringLiteral("Overzicht"));
    auto* back = m_page->topBar()->addLeft(QStringLiteral("SBOverzichtTerug"), QString());
    BindCaption(j, back, QStringLiteral("SBOverzichtTerug"), QStringLiteral("Terug"));
    auto* load = m_page->topBar()->addRight(QStringLiteral("SBLoad"), QString());
    BindCaption(j, load, QStringLiteral("SBLoad"), QStringLiteral("Laden"));

    m_grid = new CursorGrid(QStringLiteral("KV"), m_model, m_g, m_page->body());
    m_page->bodyLayout()->addWidget(m_grid, 1);

    // Bottom bar, from left to right.
    auto* del = AddIconButton(m_page, j, QStringLiteral("SBDeleteBon"), QStringLiteral("Verwijderen"), CatalogueIcon::Delete);
    auto* all = AddIconButton(m_page, j, QStringLiteral("SBSelectAll"), QStringLiteral("Alles"), CatalogueIcon::SelectAll);
    auto* down = AddIconButton(m_page, j, QStringLiteral("SBDownloadKV"), QStringLiteral("Download"), CatalogueIcon::Download);
    auto* up = AddIconButton(m_page, j, QStringLiteral("SBUploadKV"), QStringLiteral("Upload"), CatalogueIcon::Upload);
    auto* copy = AddIconButton(m_page, j, QStringLiteral("SBCopyBon"), QStringLiteral("Kopie"), CatalogueIcon::Copy);
    auto* add = AddIconButton(m_page, j, QStringLiteral("SBAddBon"), QStringLiteral("+"), CatalogueIcon::Add);

    connect(back, &QAbstractButton::clicked, this, &OverviewPage::SBOverzichtTerugClick);
    connect(load, &QAbstractButton::clicked, this, &OverviewPage::SBLoadClick);
    connect(m_grid->grid(), &CursorGridView::rowActivated, this, &OverviewPage::SBLoadClick);
    connect(del, &QAbstractButton::clicked, this, &OverviewPage::SBDeleteBonClick);
    connect(all, &QAbstractButton::clicked, this, &OverviewPage::SBSelectAllClick);
    connect(down, &QAbstractButton::clicked, this, &OverviewPage::SBDownloadKVClick);
    connect(up, &QAbstractButton::clicked, this, &OverviewPage::SBUploadKVClick);
    connect(copy, &QAbstractButton::clicked, this, &OverviewPage::SBCopyBonClick);
    connect(add, &QAbstractButton::clicked, this, &OverviewPage::SBAddBonClick);
    w.AddPage(m_page);
}

void OverviewPage::SBOverzichtClick() { m_w.ShowPage(kOverview); }

void OverviewPage::SBOverzichtTerugClick() { m_w.ShowPage(kMain); }

void OverviewPage::SBLoadClick()
{
    // An empty list hands an empty id over, which loads nothing; the main page shows anyway.
    m_w.Ticket()->LoadBon(TicketOverview::CurrentId(m_g));
    m_w.ShowPage(kMain);
}

void OverviewPage::SBDeleteBonClick()
{
    const auto [first, last] = m_grid->grid()->SelectedRange();
    m_model->Batch([&] { TicketOverview::DeleteRows(m_g, first, last); });
}

void OverviewPage::SBSelectAllClick() { m_grid->grid()->SelectAllRows(); }

void OverviewPage::SBDownloadKVClick() { m_g.cloud.Download(QStringLiteral("kv")); }

void OverviewPage::SBUploadKVClick()
{
    const auto [first, last] = m_grid->grid()->SelectedRange();
    TicketOverview::Upload(m_g, first, last);
}

void OverviewPage::SBCopyBonClick() { TicketOverview::Copy(m_g); }

void OverviewPage::SBAddBonClick() { m_w.Ticket()->SBAddBonClick(); }
