#pragma once
#include <QWidget>

class QLabel;
class QProgressBar;

// A band across the bottom of the window that says what a long transfer is doing: a download or
// upload of many records (done / total) or a mail on its way (bytes sent). The work runs on the
// interface thread, so each report paints the band at once instead of waiting for the event loop,
// and no input or timer is handled in between.
class ProgressOverlay : public QWidget {
    Q_OBJECT
public:
    // Transfers of at most this many records finish too quickly to be worth a band.
    static constexpr int MinimumRecords = 20;

    explicit ProgressOverlay(QWidget* window);

    // A transfer of records: shown while done < total for totals above MinimumRecords, hidden
    // when done reaches total.
    void Records(const QString& what, int done, int total);
    // Bytes of a mail: shown until Finish(). total 0 while unknown.
    void Bytes(const QString& what, qint64 sent, qint64 total);
    void Finish();

    QString text() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showNow(const QString& text, int value, int maximum);
    void place();

    QLabel* m_label;
    QProgressBar* m_bar;
};
