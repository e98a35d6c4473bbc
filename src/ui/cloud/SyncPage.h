#pragma once
#include "app/KVWidgets.h"

#include <array>

class KVGlobal;
class KVListBox;
class QCheckBox;
class QLineEdit;

// The sync page TabItemSync: the eleven sync slots (0 the office, 1..10 the units) with their
// names and active flags. Rows above SyncUnits are hidden. "OK" takes every row into SyncDevs
// and writes the SYNC section; "Terug" leaves without taking anything.
class SyncPage : public KVPage {
    Q_OBJECT
public:
    explicit SyncPage(KVGlobal& g, QWidget* parent = nullptr);

    KVListBox* ListBoxSync() const { return m_list; }
    QLineEdit* EditSync(int n) const { return m_edits[size_t(n)]; }
    QCheckBox* CheckBoxSync(int n) const { return m_checks[size_t(n)]; }

    // SBSync on the main page: fills the rows; the caller shows the page.
    void SBSyncClick();
    void SBSyncOKClick();

signals:
    // The page is done (either button): the main page is to be shown.
    void Leave();

private:
    KVGlobal& g;
    KVListBox* m_list;
    std::array<KVListItem*, 11> m_rows{};
    std::array<QLineEdit*, 11> m_edits{};
    std::array<QCheckBox*, 11> m_checks{};
};
