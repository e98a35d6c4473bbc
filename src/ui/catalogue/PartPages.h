#pragma once
#include "catalogue/PartsLines.h"

#include <QObject>
#include <array>

class TFMain;
class KVGlobal;
class KVPage;
class KVListItem;
class CursorModel;
class CursorGrid;
class StepperBox;
class QComboBox;
class QLineEdit;
class QListView;
class QSortFilterProxyModel;

// The parts catalogue TabItemDBOnderdelen, the part page TabItemOnderdeel that it shares with
// the parts lines of a ticket, and the parts-list page TabItemGB.
class PartPages : public QObject {
    Q_OBJECT
public:
    explicit PartPages(TFMain& w);
    KVPage* cataloguePage() const { return m_catalogue; }
    KVPage* partPage() const { return m_part; }
    KVPage* linesPage() const { return m_lines; }
    CursorModel* model() const { return m_model; }
    CursorGrid* grid() const { return m_grid; }
    PartsLines& lines() { return m_partsLines; }
    QListView* TableViewGB() const { return m_view; }

    // ---- parts catalogue ----
    void ListBoxItemODClick();
    void SBDBOnderdeelTerugClick();
    void SBLoadOnderdeelClick();
    void SBAddOnderdeelDBClick();
    void SBDeleteOnderdeelDBClick();
    void SBSelectAllOddClick();
    void SBDownloadODClick();

    // ---- parts-list page (the menu items, once the ticket editor's guard let them through) ----
    void ListBoxItemGebruiktClick();
    void ListBoxItemBenodigdClick();
    void SBAddGBClick();
    void TableViewGBDblClick();
    void SBDeleteGBClick();
    void TableViewGBItemDelete(int sourceIndex);
    void SBGBOKClick();

    // ---- part page ----
    void SBOnderdeelOKClick();
    void SBOnderdeelTerugClick();
    void ButtonSamenstellingOKClick();

    PartForm FormValues() const;
    void SetFormValues(const PartForm& f);
    // The composition rows shown or hidden.
    void SetCompositionVisible(bool on);
    bool CompositionVisible() const;
    QComboBox* Picker(int picker) const { return m_pickers[picker]; }

private:
    void buildCataloguePage();
    void buildPartPage();
    void buildLinesPage();
    void openLinesPage(int list);
    void showPartPageExit(PartPageExit exit);
    int selectedLine() const;

    TFMain& m_w;
    KVGlobal& m_g;
    PartsLines m_partsLines;
    KVPage* m_catalogue = nullptr;
    KVPage* m_part = nullptr;
    KVPage* m_lines = nullptr;
    CursorModel* m_model = nullptr;
    CursorGrid* m_grid = nullptr;
    QListView* m_view = nullptr;
    QLineEdit* m_filter = nullptr;
    QSortFilterProxyModel* m_proxy = nullptr;
    std::array<QComboBox*, 6> m_pickers{};
    QList<KVListItem*> m_compositionRows;
    QLineEdit *m_bestelnr = nullptr, *m_omschr = nullptr;
    StepperBox *m_aantal = nullptr, *m_prijs = nullptr;
};
