#pragma once
#include <QObject>

class QSocketNotifier;
class QWidget;

// SIGTERM (a session logout), SIGINT (Ctrl+C in a terminal) and SIGHUP (its terminal went) close
// the window as its close button does, so the close step runs and the settings are written.
// The signal handler only writes a byte into a pipe; the closing happens in the event loop,
// which reads it. Open message boxes and dialogs are dismissed first.
class TerminationSignals : public QObject {
    Q_OBJECT
public:
    // One per process; the window must outlive it.
    explicit TerminationSignals(QWidget& window);
    ~TerminationSignals() override;

private:
    void closeWindow();

    QWidget& m_window;
    QSocketNotifier* m_notifier = nullptr;
};
