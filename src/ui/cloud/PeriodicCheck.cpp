#include "PeriodicCheck.h"

#include "cloud/CloudConflicts.h"
#include "cloud/CloudOutbox.h"
#include "cloud/KVCloud.h"

#include <QAbstractButton>
#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QThread>
#include <QTimer>

namespace {
struct BadgeControls {
    CloudKind kind;
    const char* button;
    const char* badge;
    const char* opens; // the control whose click opens the list
};
const BadgeControls kBadges[] = {
    {CloudKind::Tickets, "SBBadgeKV", "BadgeKV", "SBOverzicht"},
    {CloudKind::Clients, "SBBadgeOG", "BadgeOG", "ListBoxItemOG"},
    {CloudKind::Parts, "SBBadgeOD", "BadgeOD", "ListBoxItemOD"},
};
} // namespace

PeriodicCheck::PeriodicCheck(QWidget* window, KVCloud& cloud)
    : QObject(window), m_window(window), m_cloud(cloud), m_timer(new QTimer(this)), m_retry(new QTimer(this))
{
    m_timer->setObjectName(QStringLiteral("Timer1"));
    m_timer->setInterval(KVCloud::Timer1Interval);
    connect(m_timer, &QTimer::timeout, this, &PeriodicCheck::Timer1Timer);
    m_retry->setSingleShot(true);
    m_retry->setInterval(RetryInterval);
    connect(m_retry, &QTimer::timeout, this, &PeriodicCheck::Timer1Timer);

    for (const BadgeControls& b : kBadges) {
        auto* button = window->findChild<QAbstractButton*>(QLatin1String(b.button));
        QLabel* badge = Badge(b.kind);
        if (!button || !badge)
            continue;
        setUpBadge(button, badge);
        // The badge's button opens the list the same way as its own control does.
        const QString opens = QLatin1String(b.opens);
        connect(button, &QAbstractButton::clicked, this, [this, opens] {
            if (auto* target = m_window->findChild<QAbstractButton*>(opens))
                target->click();
        });
    }
    m_cloud.SetBadge = [this](CloudKind kind, int count) {
        if (QLabel* badge = Badge(kind)) {
            badge->setText(QString::number(count));
            placeBadge(badge);
        }
    };
    // The records of this device that wait to be sent, and the conflicts that wait for a choice.
    for (const char* name : {"BadgeOutbox", "BadgeConflicten"})
        if (auto* badge = window->findChild<QLabel*>(QLatin1String(name)))
            setUpBadge(badge->parentWidget(), badge);
    m_cloud.Outbox().Changed = [this] { ShowWaiting(); };
    m_cloud.Conflicts().Changed = [this] { ShowWaiting(); };
    m_timer->start();
}

PeriodicCheck::~PeriodicCheck()
{
    m_cloud.Outbox().Changed = nullptr;
    m_cloud.Conflicts().Changed = nullptr;
}

void PeriodicCheck::setUpBadge(QWidget* button, QLabel* badge)
{
    badge->setText(QStringLiteral("0"));
    badge->setAttribute(Qt::WA_TransparentForMouseEvents);
    badge->show();
    button->installEventFilter(this);
    placeBadge(badge);
}

void PeriodicCheck::ShowWaiting()
{
    if (auto* badge = m_window->findChild<QLabel*>(QStringLiteral("BadgeOutbox"))) {
        badge->setText(QString::number(m_cloud.Outbox().Waiting()));
        placeBadge(badge);
    }
    if (auto* badge = m_window->findChild<QLabel*>(QStringLiteral("BadgeConflicten"))) {
        const int conflicts = m_cloud.Conflicts().Count();
        badge->setText(QString::number(conflicts));
        // Only there while something waits for the user's choice.
        badge->parentWidget()->setVisible(conflicts > 0);
        placeBadge(badge);
    }
}

QLabel* PeriodicCheck::Badge(CloudKind kind) const
{
    for (const BadgeControls& b : kBadges)
        if (b.kind == kind)
            return m_window->findChild<QLabel*>(QLatin1String(b.badge));
    return nullptr;
}

bool PeriodicCheck::InsideNestedLoop()
{
    // The main loop runs at level 1; a message box, dialog or menu opens one above it, or (in a
    // program that runs no main loop, as a test) at least shows a modal or popup widget.
    return QApplication::activeModalWidget() || QApplication::activePopupWidget() ||
           QThread::currentThread()->loopLevel() > 1;
}

void PeriodicCheck::Timer1Timer()
{
    if (InsideNestedLoop()) {
        m_retry->start(); // one waiting tick, however many come meanwhile
        return;
    }
    m_retry->stop();
    m_cloud.Timer1Timer();
}

bool PeriodicCheck::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Resize)
        for (QLabel* badge : watched->findChildren<QLabel*>(Qt::FindDirectChildrenOnly))
            placeBadge(badge);
    return QObject::eventFilter(watched, event);
}

void PeriodicCheck::placeBadge(QLabel* badge)
{
    // In the top right corner of its button.
    badge->adjustSize();
    const QWidget* button = badge->parentWidget();
    badge->resize(std::max(badge->width(), badge->height()), badge->height());
    badge->move(button->width() - badge->width() - 2, 1);
    badge->raise();
}
