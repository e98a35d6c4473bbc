#pragma once
#include "app/KVWidgets.h"

class KVCloud;
class KVGlobal;
class QListWidget;
class QTableWidget;

// The conflicts page TabItemConflicten: the records that another unit changed while this device
// held a change of its own. The list shows one line per conflict; the table below it the fields
// in which this device's version and the version that came in differ. The three buttons carry
// out the user's choice for the selected conflict: keep this device's version, keep the other,
// or keep both as two records. Nothing goes without such a choice.
class ConflictsPage : public KVPage {
    Q_OBJECT
public:
    ConflictsPage(KVGlobal& g, KVCloud& cloud, QWidget* parent = nullptr);

    QListWidget* ListBoxConflicten() const { return m_list; }
    QTableWidget* GridConflictVelden() const { return m_fields; }

    // Fills the list (the first conflict selected); the caller shows the page.
    void SBBadgeConflictenClick();
    // The choice for the selected conflict, then the list again.
    void Choose(int choice);

signals:
    void Leave();

private:
    void showSelected();
    KVGlobal& g;
    KVCloud& m_cloud;
    QListWidget* m_list;
    QTableWidget* m_fields;
};
