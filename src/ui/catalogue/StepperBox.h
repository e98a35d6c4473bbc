#pragma once
#include <QWidget>

class QDoubleSpinBox;
class QToolButton;

// A number box between a "-" and a "+" button. Each press changes the value by exactly the
// step, clamped to the box's range, and repeats while the button is held down.
class StepperBox : public QWidget {
    Q_OBJECT
public:
    // boxName is the box's object name; the buttons are minusName and plusName.
    StepperBox(const QString& boxName, const QString& minusName, const QString& plusName, double min, double max,
               int decimals, bool plusFirst = false, QWidget* parent = nullptr);
    double value() const;
    void setValue(double v);
    QDoubleSpinBox* box() const { return m_box; }

private:
    void step(double delta);
    QDoubleSpinBox* m_box;
};
