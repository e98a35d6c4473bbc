#include "ProgressOverlay.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>

ProgressOverlay::ProgressOverlay(QWidget* window)
    : QWidget(window), m_label(new QLabel(this)), m_bar(new QProgressBar(this))
{
    setObjectName(QStringLiteral("ProgressOverlay"));
    setAttribute(Qt::WA_StyledBackground);
    setStyleSheet(QStringLiteral("#ProgressOverlay { background: #1f4e79; } #ProgressOverlay QLabel { color: white; }"));
    m_label->setObjectName(QStringLiteral("LabelProgress"));
    m_bar->setObjectName(QStringLiteral("ProgressBarTransfer"));
    m_bar->setTextVisible(false);
    m_bar->setMaximumHeight(8);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(12, 8, 12, 8);
    layout->addWidget(m_label, 1);
    layout->addWidget(m_bar, 1);
    window->installEventFilter(this);
    hide();
}

void ProgressOverlay::Records(const QString& what, int done, int total)
{
    if (done >= total || total <= MinimumRecords) {
        Finish();
        return;
    }
    showNow(QStringLiteral("%1 %2 / %3").arg(what).arg(done).arg(total), done, total);
}

void ProgressOverlay::Bytes(const QString& what, qint64 sent, qint64 total)
{
    const QLocale locale;
    const QString text = total > 0 ? QStringLiteral("%1 %2 / %3").arg(what, locale.formattedDataSize(sent), locale.formattedDataSize(total))
                                   : QStringLiteral("%1 %2").arg(what, locale.formattedDataSize(sent));
    // The bar counts in KiB so that large attachments stay within its int range.
    showNow(text, int(sent / 1024), total > 0 ? int(total / 1024) : 0);
}

void ProgressOverlay::Finish()
{
    if (isVisible())
        hide();
}

QString ProgressOverlay::text() const { return isVisible() ? m_label->text() : QString(); }

void ProgressOverlay::showNow(const QString& text, int value, int maximum)
{
    m_label->setText(text);
    m_bar->setRange(0, std::max(0, maximum));
    m_bar->setValue(std::min(value, std::max(0, maximum)));
    if (!isVisible()) {
        place();
        show();
    }
    raise();
    repaint();
}

bool ProgressOverlay::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        place();
    return QWidget::eventFilter(watched, event);
}

void ProgressOverlay::place()
{
    const QWidget* window = parentWidget();
    const int height = sizeHint().height();
    setGeometry(0, window->height() - height, window->width(), height);
}
