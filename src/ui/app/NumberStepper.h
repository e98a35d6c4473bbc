#pragma once
#include <QWidget>

class QDoubleSpinBox;
class QToolButton;

// A number box with "-" and "+" buttons beside it (ButtonMin<Name>, NumberBox<Name>,
// ButtonPlus<Name>). A step counts from the value as typed and stops at the bounds.
class NumberStepper : public QWidget {
    Q_OBJECT
public:
    NumberStepper(const QString& name, double min, double max, int decimals, double step = 1, QWidget* parent = nullptr);
    double value() const;
    void setValue(double v);
    void setRange(double min, double max);
    double minimum() const;
    double maximum() const;
    QDoubleSpinBox* box() const { return m_box; }
    void setTypingAllowed(bool on);

signals:
    void valueChanged(double v);
    // A "+" or "-" button changed the value.
    void stepped(double v);

private:
    void step(double delta);
    QDoubleSpinBox* m_box;
    double m_step;
};
