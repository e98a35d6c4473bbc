#pragma once
#include "app/KVWidgets.h"

#include <array>

class KVGlobal;
class TFMain;
class TicketEditor;
class QCheckBox;
class QDateEdit;
class QLineEdit;
class QPlainTextEdit;
class TextFitLabel;

// The general page TabItemAlgemeen: number, date, project and order numbers, code, client,
// contact, e-mail, work location and the description of the work.
class AlgemeenPage : public KVPage {
    Q_OBJECT
public:
    explicit AlgemeenPage(TicketEditor& editor);

    // ListBoxItemAlgemeenClick after the guard: fills the page from the ticket and shows it.
    void Open();
    void SBAlgemeenOKClick();
    void EditOpdrachtgeverClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TicketEditor& m_editor;
    KVGlobal& m_g;
    QLineEdit *m_bonnr, *m_projectnr, *m_opdrachtnr, *m_code, *m_opdrachtgever, *m_contactpers, *m_email,
        *m_werklocatie;
    QDateEdit* m_datum;
    QPlainTextEdit* m_werkzaamheden;
    TextFitLabel* m_werkzaamhedenFit;
};

// The kind-of-work page TabItemType: six named kinds and four the user names (the fourth hidden).
class TypePage : public KVPage {
    Q_OBJECT
public:
    explicit TypePage(TicketEditor& editor);
    void Open();
    void SBTypeOKClick();

private:
    TicketEditor& m_editor;
    KVGlobal& m_g;
    std::array<QCheckBox*, 11> m_checks{};  // 1..10
    std::array<QLineEdit*, 11> m_names{};   // 7..10
};

// The week page TabItemSpecificatie: one item per weekday, leading to the day page.
class SpecificatiePage : public KVPage {
    Q_OBJECT
public:
    explicit SpecificatiePage(TicketEditor& editor);
    void Open();
    void SBSpecificatieOKClick();
    KVListItem* DayItem(int day) const { return m_days[day]; }
    void SetDayDetail(int day, const QString& text);

private:
    TicketEditor& m_editor;
    std::array<KVListItem*, 8> m_days{}; // 1..7
};

// Multi-line memo contents as lines, and back.
QStringList MemoLines(const QPlainTextEdit* memo);
void SetMemoLines(QPlainTextEdit* memo, const QStringList& lines);
