#pragma once
#include <QList>
#include <QObject>
#include <QString>

class ChoicePopup;
class KVGlobal;
class KVListBox;
class KVPage;
class NamePopup;
class QLabel;
class QScrollArea;
class TFMain;

// The templates of routine work in the window: "Opslaan als sjabloon" on the main menu saves
// the current ticket as one, "+" offers "Nieuw" or one of them once there are any, and the
// page "Sjablonen" of the side menu starts, renames and deletes them. Built by the window on
// first use (TFMain::Templates()).
class TemplatePages : public QObject {
    Q_OBJECT
public:
    explicit TemplatePages(TFMain& w);

    KVPage* page() const { return m_page; }
    ChoicePopup* newChoice() const { return m_newChoice; }   // PopupNieuw, what "+" offers
    ChoicePopup* actions() const { return m_actions; }       // PopupSjabloon, on a template of the page
    NamePopup* namePopup() const { return m_name; }          // PopupSjabloonNaam

    // ListBoxItemSjabloon (after the ticket editor's guard): asks the name of the new template.
    void ListBoxItemSjabloonClick();
    // Saves the current ticket under the name; asks first when that name is taken.
    void SaveAs(const QString& name);
    // The chooser of "+": shows PopupNieuw and returns true when there are templates.
    bool OfferNewChoice();
    // A new current ticket from the template, then the main page.
    void StartFrom(const QString& id);
    // ListBoxItemSjablonen: the page with the templates.
    void ListBoxItemSjablonenClick();
    void FillList();

private:
    void rowClicked(int index);
    void actionChosen(const QString& action);
    void nameAccepted(const QString& name);

    TFMain& m_w;
    KVGlobal& m_g;
    KVPage* m_page = nullptr;
    QScrollArea* m_scroll = nullptr;
    KVListBox* m_list = nullptr;
    QLabel* m_empty = nullptr;
    ChoicePopup* m_newChoice = nullptr;
    ChoicePopup* m_actions = nullptr;
    NamePopup* m_name = nullptr;
    QList<QString> m_ids;       // the templates of the page, in list order
    QList<QString> m_choiceIds; // the templates PopupNieuw offers
    QString m_selected;       // the template PopupSjabloon acts on
    QString m_renaming;       // the template PopupSjabloonNaam renames; empty: it names a new one
};
