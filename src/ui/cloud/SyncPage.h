#pragma once
#include "app/KVWidgets.h"

#include <array>

class KVCloud;
class KVGlobal;
class KVListBox;
class QCheckBox;
class QLabel;
class QLineEdit;

// The sync page TabItemSync: the eleven sync slots (0 the office, 1..10 the units) with their
// names and active flags. Rows above SyncUnits are hidden. "OK" takes every row into SyncDevs
// and writes the SYNC section; "Terug" leaves without taking anything. Below the slots the page
// tells the state of the exchange: how many records wait to be sent, when the last exchange
// went through, and the last thing that went wrong, in words.
class SyncPage : public KVPage {
    Q_OBJECT
public:
    // cloud may be null (no status lines then).
    explicit SyncPage(KVGlobal& g, KVCloud* cloud = nullptr, QWidget* parent = nullptr);

    KVListBox* ListBoxSync() const { return m_list; }
    QLineEdit* EditSync(int n) const { return m_edits[size_t(n)]; }
    QCheckBox* CheckBoxSync(int n) const { return m_checks[size_t(n)]; }
    QLabel* LabelSyncWachtend() const { return m_waiting; }
    QLabel* LabelSyncLaatste() const { return m_lastExchange; }
    QLabel* LabelSyncFout() const { return m_lastError; }

    // SBSync on the main page: fills the rows; the caller shows the page.
    void SBSyncClick();
    // The three status lines, from the local store.
    void ShowStatus();
    void SBSyncOKClick();

signals:
    // The page is done (either button): the main page is to be shown.
    void Leave();

private:
    KVGlobal& g;
    KVCloud* m_cloud;
    KVListBox* m_list;
    QLabel* m_waiting = nullptr;
    QLabel* m_lastExchange = nullptr;
    QLabel* m_lastError = nullptr;
    std::array<KVListItem*, 11> m_rows{};
    std::array<QLineEdit*, 11> m_edits{};
    std::array<QCheckBox*, 11> m_checks{};
};
