#include "TFMain.h"

#include "KVSoundPlayer.h"
#include "PageKeys.h"
#include "Popups.h"
#include "ProgressOverlay.h"
#include "WindowPlacement.h"
#include "SettingsPages.h"
#include "document/PreviewPage.h"
#include "KVWidgets.h"
#include "TermEditor.h"
#include "cloud/KVCloud.h"
#include "cloud/ConflictsPage.h"
#include "cloud/PeriodicCheck.h"
#include "cloud/SyncPage.h"
#include "app/ConfigForm.h"
#include "app/Language.h"
#include "document/KVGrid.h"
#include "app/SettingsStore.h"
#include "office/OverviewExport.h"
#include "office/ReportPage.h"
#include "store/DataFiles.h"
#include "catalogue/ClientCatalogue.h"
#include "catalogue/ClientPages.h"
#include "catalogue/OverviewPage.h"
#include "catalogue/PartCatalogue.h"
#include "catalogue/PartPages.h"
#include "store/LocalStore.h"
#include "document/Mail.h"
#include "ticket/SignPage.h"
#include "ticket/TemplatePages.h"
#include "ticket/TicketEditor.h"
#include "ticket/TicketOps.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QDesktopServices>
#include <QFile>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QInputMethod>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStackedWidget>
#include <QVBoxLayout>

static void initUiResources() { Q_INIT_RESOURCE(ui); }

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

TFMain::TFMain(const QString& documentsFolder, Edition edition, SeamsSetup setup, QWidget* parent)
    : QMainWindow(parent), m_g(std::make_unique<KVGlobal>(edition, documentsFolder))
{
    initUiResources();
    setObjectName(QStringLiteral("FMain"));
    setWindowTitle(EditionInfo::ProductName(edition));
    resize(WindowSize::Preferred);

    m_scroll = new QScrollArea(this);
    m_scroll->setObjectName(QStringLiteral("VertScrollBox1"));
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scroll->setWidgetResizable(true);
    m_layout1 = new QWidget;
    m_layout1->setObjectName(QStringLiteral("Layout1"));
    auto* l1 = new QVBoxLayout(m_layout1);
    l1->setContentsMargins(0, 0, 0, 0);
    m_tabs = new QStackedWidget(m_layout1);
    m_tabs->setObjectName(QStringLiteral("TabControl1"));
    l1->addWidget(m_tabs);
    m_scroll->setWidget(m_layout1);
    setCentralWidget(m_scroll);

    m_sound = new KVSoundPlayer(this);
    InstallProductionSeams();
    if (setup)
        setup(*m_g);

    m_cloud = std::make_unique<KVCloud>(*m_g);
    m_cloud->Progress = [this](KVCloud::Transfer transfer, CloudKind, int done, int total) {
        if (!m_progress && total <= ProgressOverlay::MinimumRecords)
            return;
        Progress()->Records(m_g->Translate(transfer == KVCloud::Transfer::Download ? QStringLiteral("Ontvangen")
                                                                                    : QStringLiteral("Versturen")),
                            done, total);
    };
    m_connectAtStartUp = [this](KVGlobal&) { m_cloud->ConnectAtStartUp(); };
    // Before the store opens: its repairs already run the catalogues' row events.
    ClientCatalogue::InstallTableEvents(*m_g);
    PartCatalogue::InstallTableEvents(*m_g);

    // The style of the default scale, before the first control: each control is styled once,
    // when it is first shown, instead of once more when the scale is applied at the first show.
    ApplyScale(1);
    BuildMainPage();
    m_owners = {
        {{QStringLiteral("TabItemAlgemeen"), QStringLiteral("TabItemType"), QStringLiteral("TabItemSpecificatie"),
          QStringLiteral("TabItemDag"), QStringLiteral("TabItemSign"), QStringLiteral("TabItemFoto"), QStringLiteral("TabItemImage")},
         [this] { Ticket(); }},
        {{QStringLiteral("TabItemInfo")}, [this] { Preview(); }},
        {{QStringLiteral("TabItemOverzicht"), QStringLiteral("TabItemDBOpdrachtgevers"), QStringLiteral("TabItemOpdrachtgever"),
          QStringLiteral("TabItemDBOnderdelen"), QStringLiteral("TabItemOnderdeel"), QStringLiteral("TabItemGB")},
         [this] { Catalogue(); }},
        {{QStringLiteral("TabItemConfig")}, [this] { Config(); }},
        {{QStringLiteral("TabItemPro")}, [this] { Pro(); }},
        {{QStringLiteral("TabItemSync")}, [this] { Sync(); }},
        {{QStringLiteral("TabItemConflicten")}, [this] { Conflicts(); }},
        {{QStringLiteral("TabItemAbout")}, [this] { About(); }},
        {{QStringLiteral("TabItemSjablonen")}, [this] { Templates(); }},
        {{QStringLiteral("TabItemRapport")}, [this] { Report(); }},
    };
    connectMainPage();
    new PageKeys(this, [this]() -> QWidget* {
        if (m_termEditor && m_termEditor->isVisible())
            return m_termEditor;
        // A choice or a name asked over the page takes the keys before the page beneath it.
        for (KVPopup* popup : QObject::findChildren<KVPopup*>(QString(), Qt::FindDirectChildrenOnly))
            if (popup->isVisible())
                return popup;
        return m_tabs->currentWidget();
    });
    m_periodicCheck = new PeriodicCheck(this, *m_cloud);

    connect(QGuiApplication::inputMethod(), &QInputMethod::keyboardRectangleChanged, this,
            &TFMain::onKeyboardRectangleChanged);
    connect(qApp, &QApplication::focusChanged, this, [this] { ScrollFocusedAboveKeyboard(); });

    StartUp();
    m_periodicCheck->ShowWaiting();
    ShowPage(QStringLiteral("TabItemMain"));
}

TFMain::~TFMain()
{
    // A focused control that goes reports a focus change: the window, half gone itself, must
    // no longer follow it.
    disconnect(qApp, nullptr, this, nullptr);
    disconnect(QGuiApplication::inputMethod(), nullptr, this, nullptr);
    // Qt would delete the pages, their owners and the timer after this destructor, when the
    // state and the cloud link they refer to are gone: they go now, while both are alive.
    const QObjectList owned = children();
    for (const QPointer<QObject>& child : QList<QPointer<QObject>>(owned.begin(), owned.end()))
        if (child && child != layout())
            delete child.data();
}

// ---- the owners of the pages, each built on first use ---------------------------------------

TicketEditor* TFMain::Ticket()
{
    if (!m_ticket) {
        m_ticket = new TicketEditor(*this);
        m_ticket->SetMenuOpener(QStringLiteral("ListBoxItemBekijk"), [this] { Preview()->ListBoxItemBekijkClick(); });
        // The parts items of the main menu open the parts lines of the ticket.
        m_ticket->SetMenuOpener(QStringLiteral("ListBoxItemGebruikt"), [this] { Catalogue().parts->ListBoxItemGebruiktClick(); });
        m_ticket->SetMenuOpener(QStringLiteral("ListBoxItemBenodigd"), [this] { Catalogue().parts->ListBoxItemBenodigdClick(); });
        connect(m_ticket, &TicketEditor::OpenClientCatalogue, this, [this] { Catalogue().clients->EditOpdrachtgeverClick(); });
        // Signed from the preview: the preview filled again.
        connect(m_ticket, &TicketEditor::RefillPreview, this, [this] { FillDocument(*m_g); });
        m_ticket->SetMenuOpener(QStringLiteral("ListBoxItemSjabloon"), [this] { Templates()->ListBoxItemSjabloonClick(); });
        // "+" offers the templates once there are any.
        m_ticket->SetNewTicketChooser([this] { return Templates()->OfferNewChoice(); });
    }
    return m_ticket;
}

TemplatePages* TFMain::Templates()
{
    if (!m_templates)
        m_templates = new TemplatePages(*this);
    return m_templates;
}

ReportPage* TFMain::Report()
{
    if (!m_report)
        m_report = new ReportPage(*this);
    return m_report;
}

ProgressOverlay* TFMain::Progress()
{
    if (!m_progress)
        m_progress = new ProgressOverlay(this);
    return m_progress;
}

PreviewPage* TFMain::Preview()
{
    if (!m_preview) {
        m_preview = new PreviewPage(*this);
        connect(m_preview, &PreviewPage::SignRequested, this, [this] { Ticket()->sign()->OpenFromPreview(); });
    }
    return m_preview;
}

const CataloguePages& TFMain::Catalogue()
{
    if (!m_catalogue.clients) {
        m_catalogue = InstallCataloguePages(*this);
        new OverviewExport(*this, *m_catalogue.overview);
    }
    return m_catalogue;
}

ConfigPage* TFMain::Config()
{
    if (!m_config)
        m_config = new ConfigPage(*this);
    return m_config;
}

ProPage* TFMain::Pro()
{
    if (!m_pro) {
        m_pro = new ProPage(*this);
        m_pro->ShowLogo();
    }
    return m_pro;
}

AboutPage* TFMain::About()
{
    if (!m_about)
        m_about = new AboutPage(*this);
    return m_about;
}

SyncPage* TFMain::Sync()
{
    if (!m_syncPage) {
        m_syncPage = new SyncPage(*m_g, m_cloud.get());
        AddPage(m_syncPage);
        connect(m_syncPage, &SyncPage::Leave, this, [this] { ShowPage(QStringLiteral("TabItemMain")); });
    }
    return m_syncPage;
}

ConflictsPage* TFMain::Conflicts()
{
    if (!m_conflictsPage) {
        m_conflictsPage = new ConflictsPage(*m_g, *m_cloud);
        AddPage(m_conflictsPage);
        connect(m_conflictsPage, &ConflictsPage::Leave, this, [this] { ShowPage(QStringLiteral("TabItemMain")); });
    }
    return m_conflictsPage;
}

void TFMain::InstallProductionSeams()
{
    Seams& s = m_g->seams;
    s.showMessage = [this](const QString& text) { QMessageBox::information(this, windowTitle(), text); };
    s.confirm = [this](const QString& text) {
        return QMessageBox::question(this, windowTitle(), text) == QMessageBox::Yes;
    };
    s.playSound = [this](const QString& path) { m_sound->Play(path); };
    s.runMailApp = RunDesktopMailApp;
    s.openUrl = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    s.installedDataFolder = InstalledDataFolder;
}

// ---- start-up -----------------------------------------------------------------------------

bool TFMain::LockDocumentsFolder()
{
    // A crashed or killed program leaves its lock file behind; it is taken over once its
    // process is gone. Age alone never makes a lock stale: a program may run for days.
    m_folderLock = std::make_unique<QLockFile>(m_g->DocumentsFolder() + LockFileName());
    m_folderLock->setStaleLockTime(0);
    if (m_folderLock->tryLock(0))
        return true;
    // Only a running program is a reason not to start; a folder where no lock file can be
    // written (read-only, full) starts as before.
    return m_folderLock->error() != QLockFile::LockFailedError;
}

void TFMain::StartUp()
{
    KVGlobal& g = *m_g;
    // 0. One program per documents folder: a second one would hand out the same ticket numbers
    //    and store over what the first stored. It only reads what it needs to say so.
    if (!LockDocumentsFolder()) {
        ReadSettings(g);
        LoadTerms(g);
        ApplyLanguageIndex(g, g.settings.branche.taal);
        g.seams.ShowMessage(g.Translate(QStringLiteral("Het programma is al geopend met deze documentenmap:")) +
                            QLatin1Char(' ') + QDir::toNativeSeparators(g.DocumentsFolder()));
        return;
    }
    m_started = true;
    // 1-2. The virtual-keyboard tool bar has no counterpart here; the content bounds are
    //      extended by ExtendContentBounds whenever the content size is computed.
    // 3. Settings (ending with the first, silent connection to the company's cloud database).
    ReadSettings(g, m_connectAtStartUp);
    // 4-5. Terms, then the language.
    LoadTerms(g);
    ApplyLanguageIndex(g, g.settings.branche.taal);
    // 6. Footers and the captions built from terms.
    ReadFootersAndCaptions(g);
    // 7. The product name.
    m_labelMain->setText(EditionInfo::ProductName(g.edition));
    // 8. The two signature images of the current ticket.
    CreateSignatureImages(g);
    // 9. The sync button.
    if (auto* sync = m_mainPage->findChild<QWidget*>(QStringLiteral("SBSync")))
        sync->setVisible(true);
    // 10. The company logo; a missing or unreadable file keeps the built-in one. The logo
    //     preview of the company page shows it when that page is built.
    ProForm::LoadLogoAtStartUp(g);
    // 11. The local database: upgrade, repairs; on failure the stores stay closed. A first start
    //     of an installed program offers the installed template database.
    OfferInstalledDataFiles(g, g.seams.InstalledDataFolder());
    OpenDatabase(g);
    // 12. The document sheet.
    RegisterDocumentCaptions(g);
    PlanDocumentRows(g);
    BuildDocument(g);
    // 13. The line stores of the ticket.
    g.bon.werkzh.clear();
    g.bon.opm.clear();
}

void TFMain::showEvent(QShowEvent* e)
{
    QMainWindow::showEvent(e);
    if (!m_shownOnce) {
        m_shownOnce = true;
        FormShow();
    }
}

void TFMain::FormShow()
{
    // 1. Scale the whole interface.
    if (m_g->settings.inst.schaal == 0)
        m_g->settings.inst.schaal = 1;
    ApplyScale(m_g->settings.inst.schaal);
    // 2. The parts items of the main menu.
    ApplyPartsVisibility();
    // 3. This platform asks for no run-time permissions.
}

void TFMain::closeEvent(QCloseEvent* e)
{
    if (!m_started) {
        e->accept();
        return;
    }
    // The inside of the window as the user left it; a maximised window keeps its normal place.
    const QRect place = isMaximized() || isFullScreen() ? normalGeometry() : geometry();
    m_g->settings.venster = {place.x(), place.y(), place.width(), place.height()};
    WriteMainSettings(*m_g);
    m_g->bon.werkzh.clear();
    m_g->bon.opm.clear();
    e->accept();
}

void TFMain::PlaceOnScreen()
{
    const Settings::Venster& v = m_g->settings.venster;
    const QRect stored = v.breedte > 0 && v.hoogte > 0 ? QRect(v.x, v.y, v.breedte, v.hoogte) : QRect();
    QScreen* target = stored.isEmpty() ? nullptr : QGuiApplication::screenAt(stored.center());
    if (!target)
        target = QGuiApplication::primaryScreen();
    if (!target)
        return;
    const QRect available = target->availableGeometry();
    setMinimumSize(WindowSize::Minimum.boundedTo(available.marginsRemoved(WindowSize::AssumedFrame).size()));
    setGeometry(WindowPlacement(available, stored, WindowSize::AssumedFrame));
}

void TFMain::ApplyScale(double scale)
{
    // Setting a style sheet styles every control built so far again, even with the same text.
    const QString sheet = KVStyleSheet(scale);
    if (sheet != styleSheet())
        setStyleSheet(sheet);
}

void TFMain::ApplyPartsVisibility()
{
    const int used = m_g->MaxUsedRows(), needed = m_g->MaxNeededRows();
    m_listMain->item(QStringLiteral("ListBoxItemGebruikt"))->setVisible(used > 0);
    m_listMain->item(QStringLiteral("ListBoxItemBenodigd"))->setVisible(needed > 0);
    m_listMenu->item(QStringLiteral("ListBoxItemOD"))->setVisible(used + needed > 0);
}

// ---- pages --------------------------------------------------------------------------------

void TFMain::AddPage(QWidget* page)
{
    m_pages.insert(page->objectName(), page);
    m_tabs->addWidget(page);
}

QWidget* TFMain::Page(const QString& name)
{
    if (!m_pages.contains(name))
        for (const PageOwner& owner : std::as_const(m_owners))
            if (owner.pages.contains(name)) {
                owner.build();
                break;
            }
    return m_pages.value(name);
}

void TFMain::ShowPage(const QString& name)
{
    QWidget* page = Page(name);
    if (!page)
        return;
    m_tabs->setCurrentWidget(page);
    emit PageShown(name);
}

bool TFMain::hasControlsToBuild() const
{
    if (!m_termEditor)
        return true;
    for (const PageOwner& owner : m_owners)
        for (const QString& page : owner.pages)
            if (!m_pages.contains(page))
                return true;
    return false;
}

void TFMain::BuildAllPages()
{
    for (const PageOwner& owner : std::as_const(m_owners))
        owner.build();
    PopupJargon();
}

QString TFMain::CurrentPageName() const
{
    return m_tabs->currentWidget() ? m_tabs->currentWidget()->objectName() : QString();
}

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

void TFMain::onKeyboardRectangleChanged()
{
    const QRectF r = QGuiApplication::inputMethod()->keyboardRectangle();
    if (r.isEmpty())
        KeyboardHidden();
    else
        KeyboardShown(r);
}

void TFMain::KeyboardShown(const QRectF& screenRect)
{
    const QPointF tl = mapFromGlobal(screenRect.topLeft().toPoint());
    const QPointF br = mapFromGlobal(screenRect.bottomRight().toPoint());
    m_kbBounds = QRectF(tl, br);
    ScrollFocusedAboveKeyboard();
}

void TFMain::KeyboardHidden()
{
    m_kbBounds = QRectF();
    m_needOffset = false;
    ResetScrollOffset();
}

void TFMain::ScrollFocusedAboveKeyboard()
{
    m_needOffset = false;
    QWidget* focused = QApplication::focusWidget();
    if (focused && isAncestorOf(focused) && !m_kbBounds.isNull()) {
        QRectF r(focused->mapTo(this, QPoint(0, 0)), focused->size());
        r.translate(0, m_scroll->verticalScrollBar()->value());
        if (r.intersects(m_kbBounds) && r.bottom() > m_kbBounds.top()) {
            m_needOffset = true;
            // Keep the content's width but stop it following the scroll box's height.
            m_scroll->setWidgetResizable(false);
            updateContentSize();
            QCoreApplication::processEvents();
            m_scroll->verticalScrollBar()->setValue(qRound(r.bottom() - m_kbBounds.top()));
        }
    }
    if (!m_needOffset)
        ResetScrollOffset();
}

void TFMain::ResetScrollOffset()
{
    m_scroll->verticalScrollBar()->setValue(0);
    m_scroll->setWidgetResizable(true);
}

QRectF TFMain::ExtendContentBounds(const QRectF& content) const
{
    QRectF c = content;
    if (m_needOffset && m_kbBounds.top() > 0)
        c.setBottom(std::max(c.bottom(), 2.0 * m_scroll->viewport()->height() - m_kbBounds.top()));
    return c;
}

void TFMain::updateContentSize()
{
    const QRectF content(0, 0, m_scroll->viewport()->width(), m_scroll->viewport()->height());
    const QRectF extended = ExtendContentBounds(content);
    m_layout1->resize(qRound(extended.width()), qRound(extended.height()));
}

void TFMain::resizeEvent(QResizeEvent* e)
{
    QMainWindow::resizeEvent(e);
    if (m_listMenu && m_listMenu->isVisible()) {
        m_listMenu->setFixedWidth(m_listMain->width() * 2 / 3);
        m_listMenu->setFixedHeight(m_listMain->height());
    }
    if (m_termEditor && m_termEditor->isVisible())
        m_termEditor->move((width() - m_termEditor->width()) / 2, (height() - m_termEditor->height()) / 2);
}

// ---- term editor --------------------------------------------------------------------------

TermEditor* TFMain::PopupJargon()
{
    if (!m_termEditor) {
        m_termEditor = new TermEditor(this, [this](const QString& text) { return m_g->Translate(text); });
        connect(m_termEditor, &TermEditor::SaveTerm, this, [this](const QString& item, const QString& text) {
            m_g->jargon.SaveTerm(m_g->TermsPath(), item, text);
        });
    }
    return m_termEditor;
}

void TFMain::OpenTermEditor(const QString& itemName)
{
    PopupJargon()->Open(itemName, m_g->jargon.Caption(itemName));
}
