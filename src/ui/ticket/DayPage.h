#pragma once
#include "app/KVWidgets.h"

class KVGlobal;
class TicketEditor;
class QDateEdit;
class QPushButton;
class QSpinBox;
class QTimeEdit;

// The day page TabItemDag: date, working time, overtime, travel time and distance of one
// weekday. Its OK goes back to the Specificatie page, whose OK stores the ticket.
class DagPage : public KVPage {
    Q_OBJECT
public:
    explicit DagPage(TicketEditor& editor);

    // Opens the page for day 1 (Monday) .. 7 (Sunday).
    void ListBoxItemDag1Click(int day);
    void SBDagOKClick();

    void ButtonPlusWerktijdClick();
    void ButtonMinWerktijdClick();
    void ButtonPlusOverwerkClick();
    void ButtonMinOverwerkClick();
    void ButtonPlusReistijdClick();
    void ButtonMinReistijdClick();
    void ButtonPlusKilometerClick();
    void ButtonMinKilometerClick();

private:
    QTimeEdit* timeRow(KVListBox* list, const QString& itemName, const QString& caption, const QString& editName,
                       const QString& plusName, const QString& minName, QPushButton** plus, QPushButton** min);

    TicketEditor& m_editor;
    KVGlobal& m_g;
    QDateEdit* m_datum;
    QTimeEdit *m_werktijd, *m_overwerk, *m_reistijd;
    QSpinBox* m_km;
};
