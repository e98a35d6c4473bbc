#pragma once
#include "ticket/TicketOps.h"

#include <QHash>
#include <QObject>
#include <functional>

class KVGlobal;
class TFMain;
class AlgemeenPage;
class TypePage;
class SpecificatiePage;
class DagPage;
class SignPage;
class PhotoPage;
class ImagePage;

// The ticket editor: the pages of the current ticket, what the main-menu items that lead to
// them do, with their common guard, and the window's side of the ticket operations (new, load, finish)
// with the detail texts they leave on the menus.
class TicketEditor : public QObject {
    Q_OBJECT
public:
    explicit TicketEditor(TFMain& main);
    ~TicketEditor() override;

    TFMain& main() { return m_main; }
    KVGlobal& g() { return m_g; }

    // The guard of the ticket pages: with no current ticket it shows "Maak eerst nieuwe bon (+)
    // of laad een bon uit het overzicht." and returns false.
    bool Guard();
    // What a main-menu item of the ticket does once the guard let it through. The pages of
    // this editor set their own; the parts lists replace the default, which only shows their
    // page. (The preview item is guarded by the window itself.)
    void SetMenuOpener(const QString& itemName, std::function<void()> open);
    // A main-menu item of the current ticket was clicked (the window leads every one here).
    void menuItemClicked(const QString& itemName);

    // "+" on the main page, and "+" of the overview (which first shows the main page): the
    // chooser, when one is set and it offers a choice, else a new ticket at once.
    void SBNewClick();
    void SBAddBonClick();
    // A new ticket with the next number, and the menus of a ticket just started.
    void NewTicket();
    void StartTicket(const TicketDetails& details);
    // What "+" offers before it starts a ticket: returns true when it took over (it shows a
    // choice that ends in NewTicket or StartTicket), false to let "+" start one at once.
    void SetNewTicketChooser(std::function<bool()> choose) { m_newChooser = std::move(choose); }
    // Loads the stored ticket with this id; returns false when there is none (nothing changed).
    bool LoadBon(const QString& id);
    // Every page's OK: store, share a signed ticket, show the main page.
    void FinishBon();
    // Puts the detail texts of a new or loaded ticket on the menus and the number in the title.
    void ApplyDetails(const TicketDetails& details);
    void SetMenuDetail(const QString& itemName, const QString& text);

    // Called when a load widened the parts maxima: the document is emptied, planned and built

    AlgemeenPage* algemeen() const { return m_algemeen; }
    SpecificatiePage* specificatie() const { return m_specificatie; }
    DagPage* dag() const { return m_dag; }
    SignPage* sign() const { return m_sign; }
    PhotoPage* photos() const { return m_photos; }
    ImagePage* image() const { return m_image; }

signals:
    // The client field of the general page was clicked: the client catalogue should open to
    // pick the ticket's client.
    void OpenClientCatalogue();
    // The ticket was signed from the preview: the preview should fill the document again.
    void RefillPreview();

private:
    TFMain& m_main;
    KVGlobal& m_g;
    QHash<QString, std::function<void()>> m_openers;
    std::function<bool()> m_newChooser;
    AlgemeenPage* m_algemeen = nullptr;
    TypePage* m_type = nullptr;
    SpecificatiePage* m_specificatie = nullptr;
    DagPage* m_dag = nullptr;
    SignPage* m_sign = nullptr;
    PhotoPage* m_photos = nullptr;
    ImagePage* m_image = nullptr;
};
