#pragma once
#include "cloud/CloudColumns.h"

#include <QObject>

class KVCloud;
class QLabel;
class QTimer;
class QWidget;

// The timer Timer1 and the badges of the main page's tool bar: every tick runs the periodic
// check of the cloud and shows what was waiting in the three inboxes; a click on a badge opens
// its list. Two more badges follow this device's own state as it changes: the records waiting
// to be sent (BadgeOutbox), and the conflicts waiting for the user (BadgeConflicten, whose
// button is shown only while there are any).
// A tick that comes while a modal box, a menu or another nested event loop is open waits until
// that loop has ended: the action that opened it is still under way.
class PeriodicCheck : public QObject {
    Q_OBJECT
public:
    // window holds the badge buttons SBBadgeKV/OG/OD with their labels BadgeKV/OG/OD, and the
    // controls that open the lists: SBOverzicht and the side-menu items ListBoxItemOG/OD.
    PeriodicCheck(QWidget* window, KVCloud& cloud);
    ~PeriodicCheck() override;

    QTimer* Timer1() const { return m_timer; }
    QLabel* Badge(CloudKind kind) const;

    void Timer1Timer();
    // The outbox and conflict badges from the local store.
    void ShowWaiting();
    // True while the tick would run inside a nested event loop.
    static bool InsideNestedLoop();
    // How soon a waiting tick looks again.
    static constexpr int RetryInterval = 500;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setUpBadge(QWidget* button, QLabel* badge);
    void placeBadge(QLabel* badge);
    QWidget* m_window;
    KVCloud& m_cloud;
    QTimer* m_timer;
    QTimer* m_retry; // single shot: the tick that waited for a nested loop to end
};
