#pragma once
#include "app/KVGlobal.h"
#include "catalogue/CataloguePages.h"

#include <QHash>
#include <QLockFile>
#include <QMainWindow>
#include <QRectF>
#include <functional>
#include <memory>

class QScrollArea;
class QStackedWidget;
class QLabel;
class KVListBox;
class KVListItem;
class KVPage;
class KVSpeedButton;
class KVSoundPlayer;
class TermEditor;
class KVCloud;
class PeriodicCheck;
class SyncPage;
class ConflictsPage;
class TicketEditor;
class PreviewPage;
class ConfigPage;
class ProPage;
class AboutPage;
class ProgressOverlay;
class ReportPage;
class TemplatePages;

// The main window: a scroll box (VertScrollBox1) holding Layout1, which holds the page stack
// TabControl1 with every page of the application. Its create event runs the start-up sequence,
// its close event writes the main settings.
//
// Only the main page is built at start-up. Every other page is built, with the pages of the
// same owner, when it is first shown or first asked for: by Page(), by its owner's accessor
// (Ticket(), Preview(), ...) or by a findChild() on the window for a control not built yet.
class TFMain : public QMainWindow {
    Q_OBJECT
public:
    // Called with the fresh state before the start-up sequence runs: the production build
    // connects the seams to dialogs and the media player, tests connect recorders.
    using SeamsSetup = std::function<void(KVGlobal&)>;

    explicit TFMain(const QString& documentsFolder, Edition edition = Edition::Dutch,
                    SeamsSetup setup = {}, QWidget* parent = nullptr);
    ~TFMain() override;

    KVGlobal& global() { return *m_g; }
    KVCloud& cloud() { return *m_cloud; }
    PeriodicCheck* periodicCheck() const { return m_periodicCheck; }
    QStackedWidget* TabControl1() const { return m_tabs; }

    // False when another running program holds the documents folder: the start-up stopped
    // after saying so, and the window must not be shown.
    bool Started() const { return m_started; }
    // Puts the window on the screen it was on when last closed, where it still fits, or at its
    // default place (see WindowPlacement). The program calls it once before showing the window.
    void PlaceOnScreen();

    // The lock file of a documents folder that a running program holds.
    static QString LockFileName() { return QStringLiteral("kolvarn.lock"); }

    // ---- pages ----
    void AddPage(QWidget* page);
    // The page with this object name, built first when it is not yet.
    QWidget* Page(const QString& name);
    void ShowPage(const QString& name);
    QString CurrentPageName() const;
    // Builds every page not built yet, and the term popup.
    void BuildAllPages();

    // Controls are found by their object names; when none of the pages built so far has the
    // control, the remaining pages are built and searched too. (Building a page changes nothing
    // a caller can tell apart from its having been there all along.)
    template <class T> T findChild(const QString& name = {}, Qt::FindChildOptions options = Qt::FindChildrenRecursively) const
    {
        if (T found = QObject::findChild<T>(name, options))
            return found;
        if (!hasControlsToBuild())
            return nullptr;
        const_cast<TFMain*>(this)->BuildAllPages();
        return QObject::findChild<T>(name, options);
    }
    template <class T> QList<T> findChildren(const QString& name = {}, Qt::FindChildOptions options = Qt::FindChildrenRecursively) const
    {
        const_cast<TFMain*>(this)->BuildAllPages();
        return QObject::findChildren<T>(name, options);
    }

    // ---- the main page ----
    KVListBox* ListBoxMain() const { return m_listMain; }
    KVListBox* ListBoxMenu() const { return m_listMenu; }
    QLabel* LabelMain() const { return m_labelMain; }
    void ToggleMenu();
    void ListBoxMainClick();
    // Main-page detail texts and the title, after a new or loaded ticket.
    void RefreshMainPage();
    void ApplyPartsVisibility();

    // ---- scale and keyboard avoidance ----
    void ApplyScale(double scale);
    // The on-screen keyboard appeared at this rectangle (screen coordinates) or went away.
    void KeyboardShown(const QRectF& screenRect);
    void KeyboardHidden();
    void ScrollFocusedAboveKeyboard();
    void ResetScrollOffset();
    // The content rectangle the scroll box may scroll over, extended while content is lifted.
    QRectF ExtendContentBounds(const QRectF& content) const;
    const QRectF& FKBBounds() const { return m_kbBounds; }
    bool FNeedOffset() const { return m_needOffset; }
    QScrollArea* VertScrollBox1() const { return m_scroll; }

    // The owners of the other pages, each built on first use.
    PreviewPage* Preview();
    ConfigPage* Config();
    ProPage* Pro();
    AboutPage* About();
    SyncPage* Sync();
    ConflictsPage* Conflicts();
    const CataloguePages& Catalogue();
    TemplatePages* Templates();
    ReportPage* Report();
    // The band that shows the progress of long transfers, built on first use.
    ProgressOverlay* Progress();

    // ---- term editor ----
    void OpenTermEditor(const QString& itemName);
    // The popup, built on first use like the pages.
    TermEditor* PopupJargon();

    // ---- the current ticket's pages and operations ----
    TicketEditor* Ticket();

signals:
    // A page became the visible one.
    void PageShown(const QString& name);

protected:
    void showEvent(QShowEvent*) override;
    void closeEvent(QCloseEvent*) override;
    void resizeEvent(QResizeEvent*) override;

private:
    void BuildMainPage();
    void connectMainPage();
    void InstallProductionSeams();
    bool LockDocumentsFolder();
    void StartUp();
    bool hasControlsToBuild() const;
    void FormShow();
    void updateContentSize();
    void onKeyboardRectangleChanged();

    // Declared first: the state outlives every other member, and the destructor removes the
    // pages (which refer to it) before any member goes.
    std::unique_ptr<KVGlobal> m_g;
    // Held while the program runs on the documents folder.
    std::unique_ptr<QLockFile> m_folderLock;
    bool m_started = false;
    // The start-up connection to the cloud, run at the end of reading the settings.
    std::function<void(KVGlobal&)> m_connectAtStartUp;
    // The cloud synchronisation, its sync page and its timer with the badges.
    std::unique_ptr<KVCloud> m_cloud;
    SyncPage* m_syncPage = nullptr;
    ConflictsPage* m_conflictsPage = nullptr;
    ProgressOverlay* m_progress = nullptr;
    PeriodicCheck* m_periodicCheck = nullptr;
    QScrollArea* m_scroll = nullptr;
    QWidget* m_layout1 = nullptr;
    QStackedWidget* m_tabs = nullptr;
    QHash<QString, QWidget*> m_pages;
    // The pages each owner builds, in the order they are built by BuildAllPages.
    struct PageOwner {
        QStringList pages;
        std::function<void()> build;
    };
    QList<PageOwner> m_owners;

    QWidget* m_mainPage = nullptr;
    KVListBox* m_listMain = nullptr;
    KVListBox* m_listMenu = nullptr;
    QLabel* m_labelMain = nullptr;
    QWidget* m_toolBarBottom = nullptr;
    QWidget* m_toolBarBadges = nullptr;
    KVSoundPlayer* m_sound = nullptr;
    TermEditor* m_termEditor = nullptr;
    TicketEditor* m_ticket = nullptr;
    PreviewPage* m_preview = nullptr;
    ConfigPage* m_config = nullptr;
    ProPage* m_pro = nullptr;
    AboutPage* m_about = nullptr;
    CataloguePages m_catalogue;
    TemplatePages* m_templates = nullptr;
    ReportPage* m_report = nullptr;

    QRectF m_kbBounds;
    bool m_needOffset = false;
    bool m_shownOnce = false;
};
