#include "KVSwitch.h"

#include <QPainter>

KVSwitch::KVSwitch(const QString& objectName, QWidget* parent) : QAbstractButton(parent)
{
    setObjectName(objectName);
    setCheckable(true);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize KVSwitch::sizeHint() const
{
    const int h = fontMetrics().height() + 10;
    return {h * 2 - 4, h};
}

void KVSwitch::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    // Drawn at its size hint, right-aligned in whatever room the row gives it.
    const QSize s = sizeHint().boundedTo(size());
    const QRectF track(width() - s.width(), (height() - s.height()) / 2.0, s.width(), s.height());
    const double r = track.height() / 2;
    p.setPen(Qt::NoPen);
    p.setBrush(isChecked() ? QColor(0x34, 0xA8, 0x53) : QColor(0xD5, 0xD5, 0xDA));
    p.drawRoundedRect(track, r, r);
    const double knob = track.height() - 4;
    const double x = isChecked() ? track.right() - knob - 2 : track.left() + 2;
    p.setBrush(Qt::white);
    p.setPen(QPen(QColor(0, 0, 0, 40), 1));
    p.drawEllipse(QRectF(x, track.top() + 2, knob, knob));
}
