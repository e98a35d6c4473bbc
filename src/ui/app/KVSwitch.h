#pragma once
#include <QAbstractButton>

// An on/off switch in the style of a touch interface: a rounded track with a knob that sits
// right (on) or left (off). Checkable; a tap toggles it.
class KVSwitch : public QAbstractButton {
    Q_OBJECT
public:
    explicit KVSwitch(const QString& objectName, QWidget* parent = nullptr);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent*) override;
};
