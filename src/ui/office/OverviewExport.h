#pragma once
#include <QObject>

class ChoicePopup;
class KVGlobal;
class KVSpeedButton;
class OverviewPage;
class TFMain;

// The overview's export button ("Export", SBExportKV) with its choice of CSV or XLSX: the
// selected tickets ("Alles" selects every one) go to a spreadsheet in the documents folder.
// Built with the overview it belongs to.
class OverviewExport : public QObject {
    Q_OBJECT
public:
    OverviewExport(TFMain& w, OverviewPage& overview);

    ChoicePopup* exportChoice() const { return m_exportChoice; } // PopupExport
    KVSpeedButton* exportButton() const { return m_export; }

    // SBExportKV: the choice of format for the selection, or a message when nothing is selected.
    void SBExportKVClick();
    void ExportSelection(bool xlsx);

private:
    KVGlobal& m_g;
    OverviewPage& m_overview;
    ChoicePopup* m_exportChoice = nullptr;
    KVSpeedButton* m_export = nullptr;
};
