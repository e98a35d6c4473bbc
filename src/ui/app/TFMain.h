#pragma once
#include "app/KVGlobal.h"

#include <QHash>
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
class TicketEditor;
class PreviewPage;
class ConfigPage;
class ProPage;
class AboutPage;
class ProgressOverlay;

// The main window: a scroll box (VertScrollBox1) holding Layout1, which holds the page stack
// TabControl1 with every page of the application. Its create event runs the start-up sequence,
// its close event writes the main settings.
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

    // ---- pages ----
    void AddPage(QWidget* page);
    QWidget* Page(const QString& name) const { return m_pages.value(name); }
    void ShowPage(const QString& name);
    QString CurrentPageName() const;

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

    PreviewPage* Preview() const { return m_preview; }
    // The band that shows the progress of long transfers.
    ProgressOverlay* Progress() const { return m_progress; }
    ConfigPage* Config() const { return m_config; }
    ProPage* Pro() const { return m_pro; }
    AboutPage* About() const { return m_about; }

    // ---- term editor ----
    void OpenTermEditor(const QString& itemName);
    TermEditor* PopupJargon() const { return m_termEditor; }

    // ---- the current ticket's pages and operations ----
    TicketEditor* Ticket() const { return m_ticket; }

signals:
    // A page became the visible one.
    void PageShown(const QString& name);

protected:
    void showEvent(QShowEvent*) override;
    void closeEvent(QCloseEvent*) override;
    void resizeEvent(QResizeEvent*) override;

private:
    void BuildMainPage();
    void BuildPlaceholderPages();
    void BuildSyncPage();
    void connectMainPage();
    void InstallProductionSeams();
    void StartUp();
    void FormShow();
    void updateContentSize();
    void onKeyboardRectangleChanged();

    std::unique_ptr<KVGlobal> m_g;
    // The start-up connection to the cloud, run at the end of reading the settings.
    std::function<void(KVGlobal&)> m_connectAtStartUp;
    // The cloud synchronisation, its sync page and its timer with the badges.
    std::unique_ptr<KVCloud> m_cloud;
    SyncPage* m_syncPage = nullptr;
    ProgressOverlay* m_progress = nullptr;
    PeriodicCheck* m_periodicCheck = nullptr;
    QScrollArea* m_scroll = nullptr;
    QWidget* m_layout1 = nullptr;
    QStackedWidget* m_tabs = nullptr;
    QHash<QString, QWidget*> m_pages;

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

    QRectF m_kbBounds;
    bool m_needOffset = false;
    bool m_shownOnce = false;
};
