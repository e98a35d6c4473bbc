#pragma once
#include <QObject>

class ChoicePopup;
class KVGlobal;
class KVSpeedButton;
class OverviewPage;
class ReportPage;
class TFMain;
struct CataloguePages;

// What the office does with the stored tickets: the overview's export button ("Export",
// SBExportKV) with its choice of CSV or XLSX, and the report page of the side menu.
class OfficePages : public QObject {
    Q_OBJECT
public:
    OfficePages(TFMain& w, OverviewPage& overview);

    ReportPage* report() const { return m_report; }
    ChoicePopup* exportChoice() const { return m_exportChoice; } // PopupExport
    KVSpeedButton* exportButton() const { return m_export; }

    // SBExportKV: the overview's selected tickets ("Alles" selects every one) to a spreadsheet,
    // in the format chosen from PopupExport.
    void SBExportKVClick();
    void ExportSelection(bool xlsx);

private:
    TFMain& m_w;
    KVGlobal& m_g;
    OverviewPage& m_overview;
    ReportPage* m_report = nullptr;
    ChoicePopup* m_exportChoice = nullptr;
    KVSpeedButton* m_export = nullptr;
};

void InstallOfficePages(TFMain& w, const CataloguePages& catalogues);
