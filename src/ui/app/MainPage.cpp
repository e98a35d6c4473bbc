// The main page of the window: the current ticket's menu, the side menu, the top and bottom bars
// and the badge bar, and what their buttons do.
#include "TFMain.h"

#include "KVWidgets.h"
#include "SettingsPages.h"
#include "app/KVGlobal.h"
#include "catalogue/ClientPages.h"
#include "catalogue/OverviewPage.h"
#include "catalogue/PartPages.h"
#include "cloud/ConflictsPage.h"
#include "cloud/SyncPage.h"
#include "office/ReportPage.h"
#include "ticket/TemplatePages.h"
#include "ticket/TicketEditor.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

// The main menu of the current ticket, in order.
struct MainItem {
    const char* name;
    const char* caption;
    const char* icon;
};
const MainItem kMainItems[] = {
    {"ListBoxItemAlgemeen", "Algemeen", "general"},      {"ListBoxItemType", "Type", "type"},
    {"ListBoxItemSpecificatie", "Specificatie", "week"}, {"ListBoxItemGebruikt", "Gebruikt", "used"},
    {"ListBoxItemBenodigd", "Benodigd", "needed"},       {"ListBoxItem43", "Foto's", "photos"},
    {"ListBoxItemBekijk", "Bekijk", "view"},             {"ListBoxItemOndertekening", "Afronding", "sign"},
    {"ListBoxItemSjabloon", "Opslaan als sjabloon", "template"},
};

const QString kNoDetail = QStringLiteral("....");

} // namespace

void TFMain::BuildMainPage()
{
    KVJargon& j = m_g->jargon;
    m_mainPage = new QWidget;
    m_mainPage->setObjectName(QStringLiteral("TabItemMain"));
    m_mainPage->setProperty("kvPage", true);
    m_mainPage->setAttribute(Qt::WA_StyledBackground);
    auto* v = new QVBoxLayout(m_mainPage);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(0);

    auto* top = new KVTopBar(QStringLiteral("ToolBarmainTop"), m_mainPage);
    auto* menu = top->addLeft(QStringLiteral("SBMenu"), QStringLiteral("\u2630"));
    m_labelMain = top->title();
    m_labelMain->setObjectName(QStringLiteral("LabelMain"));
    auto* plus = top->addRight(QStringLiteral("SBNew"), QStringLiteral("+"));
    v->addWidget(top);

    // The menu of the current ticket, with the side menu lying over its left part.
    auto* middle = new QWidget(m_mainPage);
    auto* mv = new QVBoxLayout(middle);
    mv->setContentsMargins(0, 0, 0, 0);
    m_listMain = new KVListBox(QStringLiteral("ListBoxMain"), middle);
    for (const MainItem& m : kMainItems) {
        KVListItem* item = m_listMain->addItem(QLatin1String(m.name), QString());
        BindCaption(j, item, QLatin1String(m.name), QString::fromUtf8(m.caption));
        item->setIconName(QStringLiteral(":/ui/icons/%1.svg").arg(QLatin1String(m.icon)));
    }
    for (const char* name : {"ListBoxItemAlgemeen", "ListBoxItemType", "ListBoxItemOndertekening"})
        m_listMain->item(QLatin1String(name))->setDetail(kNoDetail);
    m_listMain->addStretch();
    mv->addWidget(m_listMain);
    connect(m_listMain, &KVListBox::clicked, this, &TFMain::ListBoxMainClick);

    m_listMenu = new KVListBox(QStringLiteral("ListBoxMenu"), middle);
    m_listMenu->addHeader(QStringLiteral("ListBoxHeaderMenu"), QStringLiteral("Menu"));
    KVListItem* og = m_listMenu->addItem(QStringLiteral("ListBoxItemOG"), QString());
    BindCaption(j, og, QStringLiteral("ListBoxItemOG"), QStringLiteral("Opdrachtgevers"));
    og->setIconName(QStringLiteral(":/ui/icons/clients.svg"));
    KVListItem* od = m_listMenu->addItem(QStringLiteral("ListBoxItemOD"), QString());
    BindCaption(j, od, QStringLiteral("ListBoxItemOD"), QStringLiteral("Onderdelen"));
    od->setIconName(QStringLiteral(":/ui/icons/parts.svg"));
    for (const auto& [name, caption, icon] : {std::tuple{"ListBoxItemSjablonen", "Sjablonen", "template"},
                                              std::tuple{"ListBoxItemRapport", "Rapport", "report"}}) {
        KVListItem* item = m_listMenu->addItem(QLatin1String(name), QString());
        BindCaption(j, item, QLatin1String(name), QString::fromUtf8(caption));
        item->setIconName(QStringLiteral(":/ui/icons/%1.svg").arg(QLatin1String(icon)));
    }
    m_listMenu->addStretch();
    m_listMenu->hide();
    connect(m_listMenu, &KVListBox::clicked, this, &TFMain::ToggleMenu);
    v->addWidget(middle, 1);

    // The badge bar: records waiting in the cloud.
    m_toolBarBadges = new QWidget(m_mainPage);
    m_toolBarBadges->setObjectName(QStringLiteral("ToolBar1"));
    auto* badges = new QHBoxLayout(m_toolBarBadges);
    badges->setContentsMargins(6, 2, 6, 2);
    const auto addBadge = [&](const char* button, const char* badge, const QString& captionName, const QString& designText) {
        auto* b = new KVSpeedButton(QLatin1String(button), QString(), m_toolBarBadges);
        BindCaption(j, b, captionName, designText);
        b->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        auto* count = new QLabel(b);
        count->setObjectName(QLatin1String(badge));
        count->setAlignment(Qt::AlignCenter);
        count->hide();
        badges->addWidget(b, 1);
    };
    // Each inbox badge carries the caption of what it counts: the ticket term, and the captions
    // of the two catalogues, so that languages and the user's terms reach them.
    for (const auto& [button, badge, caption] : {std::tuple{"SBBadgeKV", "BadgeKV", "ListBoxItemKolvarn"},
                                                 std::tuple{"SBBadgeOG", "BadgeOG", "ListBoxItemOG"},
                                                 std::tuple{"SBBadgeOD", "BadgeOD", "ListBoxItemOD"}})
        addBadge(button, badge, QLatin1String(caption), j.Caption(QLatin1String(caption)));
    // This device's own records that wait to be sent, and the conflicts that wait for a choice.
    addBadge("SBBadgeOutbox", "BadgeOutbox", QStringLiteral("SBBadgeOutbox"), QStringLiteral("Te verzenden"));
    addBadge("SBBadgeConflicten", "BadgeConflicten", QStringLiteral("SBBadgeConflicten"), QStringLiteral("Conflicten"));
    v->addWidget(m_toolBarBadges);

    m_toolBarBottom = new QWidget(m_mainPage);
    m_toolBarBottom->setObjectName(QStringLiteral("ToolBarMainBottom"));
    m_toolBarBottom->setProperty("kvBottomBar", true);
    m_toolBarBottom->setAttribute(Qt::WA_StyledBackground);
    auto* bottom = new QHBoxLayout(m_toolBarBottom);
    bottom->setContentsMargins(4, 0, 4, 0);
    for (const auto& [name, caption] : {std::pair{"SBOverzicht", "Overzicht"}, std::pair{"SBConfig", "Config"},
                                        std::pair{"SBSync", "Sync"}, std::pair{"SBPro", "Pro"}, std::pair{"SBAbout", "About"}}) {
        auto* b = new KVSpeedButton(QLatin1String(name), QString(), m_toolBarBottom);
        b->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        BindCaption(j, b, QLatin1String(name), QString::fromUtf8(caption));
        bottom->addWidget(b, 1);
    }
    v->addWidget(m_toolBarBottom);

    connect(menu, &QToolButton::clicked, this, &TFMain::ToggleMenu);
    AddPage(m_mainPage);
}

void TFMain::connectMainPage()
{
    // Every control of the main page that leads to another page builds that page on first use.
    const auto onClick = [this](const char* name, std::function<void()> action) {
        if (auto* button = m_mainPage->findChild<QAbstractButton*>(QLatin1String(name)))
            connect(button, &QAbstractButton::clicked, this, std::move(action));
    };
    // The items of the current ticket pass the ticket editor's guard first.
    for (const MainItem& m : kMainItems) {
        const QString item = QLatin1String(m.name);
        onClick(m.name, [this, item] { Ticket()->menuItemClicked(item); });
    }
    onClick("SBNew", [this] { Ticket()->SBNewClick(); });
    onClick("SBOverzicht", [this] { Catalogue().overview->SBOverzichtClick(); });
    onClick("SBBadgeKV", [this] { Catalogue().overview->SBOverzichtClick(); });
    onClick("ListBoxItemOG", [this] { Catalogue().clients->ListBoxItemOGClick(); });
    onClick("SBBadgeOG", [this] { Catalogue().clients->ListBoxItemOGClick(); });
    onClick("ListBoxItemOD", [this] { Catalogue().parts->ListBoxItemODClick(); });
    onClick("SBBadgeOD", [this] { Catalogue().parts->ListBoxItemODClick(); });
    onClick("ListBoxItemSjablonen", [this] { Templates()->ListBoxItemSjablonenClick(); });
    onClick("ListBoxItemRapport", [this] { Report()->ListBoxItemRapportClick(); });
    onClick("SBConfig", [this] { Config()->SBConfigClick(); });
    onClick("SBPro", [this] { Pro()->SBProClick(); });
    onClick("SBAbout", [this] { About()->ListBoxItemAboutClick(); });
    onClick("SBSync", [this] {
        Sync()->SBSyncClick();
        ShowPage(QStringLiteral("TabItemSync"));
    });
    // What waits to be sent is told on the sync page, with the state of the exchange.
    onClick("SBBadgeOutbox", [this] {
        Sync()->SBSyncClick();
        ShowPage(QStringLiteral("TabItemSync"));
    });
    onClick("SBBadgeConflicten", [this] {
        Conflicts()->SBBadgeConflictenClick();
        ShowPage(QStringLiteral("TabItemConflicten"));
    });
}

// ---- side menu ----------------------------------------------------------------------------

void TFMain::ToggleMenu()
{
    m_listMenu->setFixedWidth(m_listMain->width() * 2 / 3);
    m_listMenu->setFixedHeight(m_listMain->height());
    m_listMenu->move(0, 0);
    m_listMenu->setVisible(!m_listMenu->isVisible());
    if (m_listMenu->isVisible())
        m_listMenu->raise();
    const bool hidden = !m_listMenu->isVisible();
    m_labelMain->setVisible(hidden);
    m_toolBarBottom->setVisible(hidden);
}

void TFMain::ListBoxMainClick()
{
    if (m_listMenu->isVisible())
        ToggleMenu();
}

void TFMain::RefreshMainPage()
{
    const TBon& b = m_g->bon;
    m_labelMain->setText(b.IsCurrent() ? b.bonnr : EditionInfo::ProductName(m_g->edition));
}

// ---- keyboard avoidance -------------------------------------------------------------------
