#include "TFMain.h"

#include "KVSoundPlayer.h"
#include "SettingsPages.h"
#include "document/PreviewPage.h"
#include "KVWidgets.h"
#include "TermEditor.h"
#include "cloud/KVCloud.h"
#include "cloud/PeriodicCheck.h"
#include "cloud/SyncPage.h"
#include "app/ConfigForm.h"
#include "app/Language.h"
#include "document/KVGrid.h"
#include "app/SettingsStore.h"
#include "catalogue/CataloguePages.h"
#include "office/OfficePages.h"
#include "store/DataFiles.h"
#include "store/LocalStore.h"
#include "document/Mail.h"
#include "ticket/SignPage.h"
#include "ticket/TemplatePages.h"
#include "ticket/TicketEditor.h"
#include "ticket/TicketOps.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFile>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QInputMethod>
#include <QLabel>
#include <QMessageBox>
#include <QScrollArea>
#include <QScrollBar>
#include <QStackedWidget>
#include <QVBoxLayout>

static void initUiResources() { Q_INIT_RESOURCE(ui); }

namespace {

// The pages of the page map that have no page class of their own yet: name, title, the
// buttons of the top bar (left, right) and of the bottom bar. Back buttons lead to the main page.
struct PageSpec {
    const char* name;
    const char* title;
    QList<std::pair<const char*, const char*>> left, right, bottom;
};

const QList<PageSpec>& pageMap()
{
    static const QList<PageSpec> map = {
        {"TabItemAlgemeen", "Algemeen", {{"SBAlgemeenTerug", "Terug"}}, {{"SBAlgemeenOK", "OK"}}, {}},
        {"TabItemType", "Type", {{"SBTypeTerug", "Terug"}}, {{"SBTypeOK", "OK"}}, {}},
        {"TabItemSpecificatie", "Specificatie", {{"SBSpecificatieTerug", "Terug"}}, {{"SBSpecificatieOK", "OK"}}, {}},
        {"TabItemDag", "Dag vd week", {{"SBDagTerug", "Terug"}}, {{"SBDagOK", "OK"}}, {}},
        {"TabItemGB", "Gebruikt", {{"SBGBTerug", "Terug"}}, {{"SBGBOK", "OK"}}, {{"SBAddGB", "+"}, {"SBDeleteGB", "Verwijderen"}}},
        {"TabItemOnderdeel", "Onderdeel", {{"SBOnderdeelTerug", "Terug"}}, {{"SBOnderdeelOK", "OK"}}, {}},
        {"TabItemFoto", "Foto's", {{"SBFotosTerug", "Terug"}}, {{"SBFotosOK", "OK"}},
         {{"SBAddFoto", "+"}, {"SBAddCamera", "Camera"}, {"SBDeleteFoto", "Verwijderen"}}},
        {"TabItemImage", "Image", {{"SBImageTerug", "Terug"}}, {{"SBImageOK", "OK"}}, {}},
        {"TabItemInfo", "Bekijk", {{"SBInfoTerug", "Terug"}}, {{"SBInfoEmail", "E-mail"}}, {}},
        {"TabItemSign", "Afronding", {{"SBSignTerug", "Terug"}}, {{"SBSignOK", "OK"}},
         {{"SBClearSign", "Verwijderen"}, {"SBClearSign2", "Verwijderen"}}},
        {"TabItemOverzicht", "Overzicht", {{"SBOverzichtTerug", "Terug"}}, {},
         {{"SBLoad", "Laden"}, {"SBDeleteBon", "Verwijderen"}, {"SBAddBon", "+"}, {"SBCopyBon", "Kopie"},
          {"SBSelectAll", "Alles"}, {"SBDownloadKV", "Download"}, {"SBUploadKV", "Upload"}}},
        {"TabItemDBOpdrachtgevers", "Opdrachtgevers", {{"SBDBOpdrachtgeverTerug", "Terug"}}, {},
         {{"SBLoadOpdrachtgever", "Laden"}, {"SBAddOpdrachtgeverDB", "+"}, {"SBDeleteOpdrachtgeverDB", "Verwijderen"},
          {"SBSelectAllOG", "Alles"}, {"SBDownloadOG", "Download"}}},
        {"TabItemOpdrachtgever", "Opdrachtgever", {{"SBOpdrachtgeverTerug", "Terug"}}, {{"SBOpdrachtgeverOK", "OK"}}, {}},
        {"TabItemDBOnderdelen", "Onderdelen", {{"SBDBOnderdeelTerug", "Terug"}}, {},
         {{"SBLoadOnderdeel", "Laden"}, {"SBAddOnderdeelDB", "+"}, {"SBDeleteOnderdeelDB", "Verwijderen"},
          {"SBSelectAllOdd", "Alles"}, {"SBDownloadOD", "Download"}}},
        {"TabItemConfig", "Config", {{"SBConfigTerug", "Terug"}}, {{"SBConfigOK", "OK"}}, {}},
        {"TabItemPro", "Pro", {{"SBProTerug", "Terug"}}, {{"SBProOK", "OK"}}, {}},
        {"TabItemAbout", "About", {}, {{"SBAboutOK", "OK"}}, {}},
    };
    return map;
}

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
    resize(480, 800);

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
    m_connectAtStartUp = [this](KVGlobal&) { m_cloud->ConnectAtStartUp(); };

    BuildMainPage();
    m_ticket = new TicketEditor(*this);
    m_preview = new PreviewPage(*this);
    m_config = new ConfigPage(*this);
    m_pro = new ProPage(*this);
    m_about = new AboutPage(*this);
    BuildSyncPage();
    const CataloguePages catalogues = InstallCataloguePages(*this);
    InstallTemplatePages(*this);
    InstallOfficePages(*this, catalogues);
    BuildPlaceholderPages();
    connectMainPage();
    m_periodicCheck = new PeriodicCheck(this, *m_cloud);
    m_termEditor = new TermEditor(this);
    connect(m_termEditor, &TermEditor::SaveTerm, this, [this](const QString& item, const QString& text) {
        m_g->jargon.SaveTerm(m_g->TermsPath(), item, text);
    });

    connect(QGuiApplication::inputMethod(), &QInputMethod::keyboardRectangleChanged, this,
            &TFMain::onKeyboardRectangleChanged);
    connect(qApp, &QApplication::focusChanged, this, [this] { ScrollFocusedAboveKeyboard(); });

    StartUp();
    ShowPage(QStringLiteral("TabItemMain"));
}

TFMain::~TFMain() = default;

void TFMain::BuildSyncPage()
{
    m_syncPage = new SyncPage(*m_g);
    AddPage(m_syncPage);
    connect(m_syncPage, &SyncPage::Leave, this, [this] { ShowPage(QStringLiteral("TabItemMain")); });
    if (auto* sync = findChild<QAbstractButton*>(QStringLiteral("SBSync")))
        connect(sync, &QAbstractButton::clicked, this, [this] {
            m_syncPage->SBSyncClick();
            ShowPage(QStringLiteral("TabItemSync"));
        });
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

void TFMain::StartUp()
{
    KVGlobal& g = *m_g;
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
    if (auto* sync = findChild<QWidget*>(QStringLiteral("SBSync")))
        sync->setVisible(true);
    // 10. The company logo; a missing or unreadable file keeps the built-in one.
    ProForm::LoadLogoAtStartUp(g);
    m_pro->ShowLogo();
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
    WriteMainSettings(*m_g);
    m_g->bon.werkzh.clear();
    m_g->bon.opm.clear();
    e->accept();
}

void TFMain::ApplyScale(double scale)
{
    setStyleSheet(KVStyleSheet(scale));
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

void TFMain::ShowPage(const QString& name)
{
    QWidget* page = m_pages.value(name);
    if (!page)
        return;
    m_tabs->setCurrentWidget(page);
    emit PageShown(name);
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
    plus->setStyleSheet(QStringLiteral("font-size: 28px; font-weight: bold;"));
    v->addWidget(top);

    // The menu of the current ticket, with the side menu lying over its left part.
    auto* middle = new QWidget(m_mainPage);
    auto* mv = new QVBoxLayout(middle);
    mv->setContentsMargins(0, 0, 0, 0);
    m_listMain = new KVListBox(QStringLiteral("ListBoxMain"), middle);
    m_listMain->setStyleSheet(QStringLiteral("#ListBoxMain { background: #EFEFF4; }"));
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
    m_listMenu->setStyleSheet(QStringLiteral("#ListBoxMenu { background: white; border-right: 1px solid #C8C8CC; }"));
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
    for (const auto& [button, badge, caption] : {std::tuple{"SBBadgeKV", "BadgeKV", "Kolvarn"},
                                                 std::tuple{"SBBadgeOG", "BadgeOG", "Opdrachtgevers"},
                                                 std::tuple{"SBBadgeOD", "BadgeOD", "Onderdelen"}}) {
        auto* b = new KVSpeedButton(QLatin1String(button), QString::fromUtf8(caption), m_toolBarBadges);
        b->setStyleSheet(QStringLiteral("color: #1F4E79; font-size: 12px;"));
        b->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        auto* count = new QLabel(b);
        count->setObjectName(QLatin1String(badge));
        count->setAlignment(Qt::AlignCenter);
        count->setStyleSheet(QStringLiteral("background: #D9342B; color: white; border-radius: 9px; padding: 1px 6px; font-size: 11px; font-weight: bold; min-height: 16px;"));
        count->hide();
        badges->addWidget(b, 1);
    }
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

void TFMain::BuildPlaceholderPages()
{
    KVJargon& j = m_g->jargon;
    for (const PageSpec& spec : pageMap()) {
        if (m_pages.contains(QLatin1String(spec.name)))
            continue;
        auto* page = new KVPage(QLatin1String(spec.name));
        BindCaption(j, page->topBar()->title(), QLatin1String(spec.name) + QStringLiteral("Title"),
                    QString::fromUtf8(spec.title));
        for (const auto& [name, text] : spec.left) {
            auto* b = page->topBar()->addLeft(QLatin1String(name), QString::fromUtf8(text));
            connect(b, &QToolButton::clicked, this, [this] { ShowPage(QStringLiteral("TabItemMain")); });
        }
        for (const auto& [name, text] : spec.right) {
            auto* b = page->topBar()->addRight(QLatin1String(name), QString::fromUtf8(text));
            connect(b, &QToolButton::clicked, this, [this] { ShowPage(QStringLiteral("TabItemMain")); });
        }
        for (const auto& [name, text] : spec.bottom)
            page->addBottomButton(QLatin1String(name), QString::fromUtf8(text));
        page->bodyLayout()->addStretch();
        AddPage(page);
    }
}

void TFMain::connectMainPage()
{
    auto button = [this](const char* name) { return findChild<QToolButton*>(QLatin1String(name)); };
    connect(button("SBConfig"), &QToolButton::clicked, m_config, &ConfigPage::SBConfigClick);
    connect(button("SBPro"), &QToolButton::clicked, m_pro, &ProPage::SBProClick);
    connect(button("SBAbout"), &QToolButton::clicked, m_about, &AboutPage::ListBoxItemAboutClick);
    m_ticket->SetMenuOpener(QStringLiteral("ListBoxItemBekijk"), [this] { m_preview->ListBoxItemBekijkClick(); });
    // Signing from the preview, and the preview filled again afterwards.
    connect(m_preview, &PreviewPage::SignRequested, this, [this] { m_ticket->sign()->OpenFromPreview(); });
    connect(m_ticket, &TicketEditor::RefillPreview, this, [this] { FillDocument(*m_g); });
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

void TFMain::OpenTermEditor(const QString& itemName)
{
    m_termEditor->Open(itemName, m_g->jargon.Caption(itemName));
}
