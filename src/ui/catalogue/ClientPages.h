#pragma once
#include "catalogue/ClientCatalogue.h"

#include <QObject>

class TFMain;
class KVGlobal;
class KVPage;
class CursorModel;
class CursorGrid;
class StepperBox;
class QCheckBox;
class QLineEdit;
class QRadioButton;
class QTabWidget;

// The client catalogue: the list page TabItemDBOpdrachtgevers and the client page
// TabItemOpdrachtgever with its tabs "Algemeen" and "Financieel".
class ClientPages : public QObject {
    Q_OBJECT
public:
    explicit ClientPages(TFMain& w);
    KVPage* listPage() const { return m_list; }
    KVPage* clientPage() const { return m_client; }
    CursorModel* model() const { return m_model; }
    CursorGrid* grid() const { return m_grid; }

    // Entry from the side menu or the badge: catalogue maintenance.
    void ListBoxItemOGClick();
    // Entry from the ticket's client field: picking a client for the ticket.
    void EditOpdrachtgeverClick();

    void SBDBOpdrachtgeverTerugClick();
    void SBLoadOpdrachtgeverClick();
    void SBAddOpdrachtgeverDBClick();
    void SBDeleteOpdrachtgeverDBClick();
    void SBSelectAllOGClick();
    void SBDownloadOGClick();
    void SBOpdrachtgeverOKClick();
    void SBOpdrachtgeverTerugClick();

    ClientForm FormValues() const;
    void SetFormValues(const ClientForm& f);

private:
    void buildListPage();
    void buildClientPage();
    void showAfterClientPage();

    TFMain& m_w;
    KVGlobal& m_g;
    KVPage* m_list = nullptr;
    KVPage* m_client = nullptr;
    CursorModel* m_model = nullptr;
    CursorGrid* m_grid = nullptr;
    QTabWidget* m_tabs = nullptr;
    QLineEdit *m_naam = nullptr, *m_contact = nullptr, *m_email = nullptr, *m_adres = nullptr, *m_pc = nullptr;
    QLineEdit *m_plaats = nullptr, *m_land = nullptr, *m_telnr = nullptr, *m_mobnr = nullptr, *m_debnr = nullptr;
    QLineEdit* m_btwnr = nullptr;
    QRadioButton *m_ex = nullptr, *m_inc = nullptr;
    StepperBox *m_werk = nullptr, *m_over = nullptr, *m_reis = nullptr, *m_km = nullptr, *m_btw = nullptr;
    QCheckBox* m_auto = nullptr;
};
