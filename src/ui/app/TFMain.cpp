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
