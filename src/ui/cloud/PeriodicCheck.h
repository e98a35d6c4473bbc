#pragma once
#include "cloud/CloudColumns.h"

#include <QObject>

class KVCloud;
class QLabel;
class QTimer;
class QWidget;

// The timer Timer1 and the three badges of the main page's tool bar: every tick runs the
// periodic check of the cloud and shows what was waiting; a click on a badge opens its list.
// A tick that comes while a modal box, a menu or another nested event loop is open waits until
// that loop has ended: the action that opened it is still under way.
class PeriodicCheck : public QObject {
    Q_OBJECT
public:
    // window holds the badge buttons SBBadgeKV/OG/OD with their labels BadgeKV/OG/OD, and the
    // controls that open the lists: SBOverzicht and the side-menu items ListBoxItemOG/OD.
    PeriodicCheck(QWidget* window, KVCloud& cloud);

    QTimer* Timer1() const { return m_timer; }
    QLabel* Badge(CloudKind kind) const;

    void Timer1Timer();
    // True while the tick would run inside a nested event loop.
    static bool InsideNestedLoop();
    // How soon a waiting tick looks again.
    static constexpr int RetryInterval = 500;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void placeBadge(QLabel* badge);
    QWidget* m_window;
    KVCloud& m_cloud;
    QTimer* m_timer;
    QTimer* m_retry; // single shot: the tick that waited for a nested loop to end
};
