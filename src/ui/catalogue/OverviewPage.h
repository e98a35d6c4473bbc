#pragma once
#include <QObject>

class TFMain;
class KVGlobal;
class KVPage;
class CursorModel;
class CursorGrid;

// The ticket overview TabItemOverzicht.
class OverviewPage : public QObject {
    Q_OBJECT
public:
    explicit OverviewPage(TFMain& w);
    KVPage* page() const { return m_page; }
    CursorModel* model() const { return m_model; }
    CursorGrid* grid() const { return m_grid; }

    void SBOverzichtClick();
    void SBOverzichtTerugClick();
    void SBLoadClick();
    void SBDeleteBonClick();
    void SBSelectAllClick();
    void SBDownloadKVClick();
    void SBUploadKVClick();
    void SBCopyBonClick();
    void SBAddBonClick();

private:
    TFMain& m_w;
    KVGlobal& m_g;
    KVPage* m_page = nullptr;
    CursorModel* m_model = nullptr;
    CursorGrid* m_grid = nullptr;
};
