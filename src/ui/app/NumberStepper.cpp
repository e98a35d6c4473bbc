#include "NumberStepper.h"

#include "app/ConfigForm.h"

#include <QAbstractSpinBox>
#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QToolButton>

NumberStepper::NumberStepper(const QString& name, double min, double max, int decimals, double step, QWidget* parent)
    : QWidget(parent), m_step(step)
{
    setObjectName(QStringLiteral("Stepper") + name);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(4);
    auto* minus = new QToolButton(this);
    minus->setObjectName(QStringLiteral("ButtonMin") + name);
    minus->setText(QStringLiteral("-"));
    auto* plus = new QToolButton(this);
    plus->setObjectName(QStringLiteral("ButtonPlus") + name);
    plus->setText(QStringLiteral("+"));
    for (QToolButton* b : {minus, plus}) {
        b->setAutoRepeat(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->setMinimumSize(36, 32);
        b->setStyleSheet(QStringLiteral("QToolButton { border: 1px solid #C8C8CC; border-radius: 6px; background: #F7F7F7; font-weight: bold; }"));
    }
    m_box = new QDoubleSpinBox(this);
    m_box->setObjectName(QStringLiteral("NumberBox") + name);
    m_box->setButtonSymbols(QAbstractSpinBox::NoButtons);
    m_box->setDecimals(decimals);
    m_box->setRange(min, max);
    m_box->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_box->setKeyboardTracking(false);
    row->addWidget(minus);
    row->addWidget(m_box, 1);
    row->addWidget(plus);
    connect(minus, &QToolButton::clicked, this, [this] { this->step(-m_step); });
    connect(plus, &QToolButton::clicked, this, [this] { this->step(m_step); });
    connect(m_box, &QDoubleSpinBox::valueChanged, this, &NumberStepper::valueChanged);
}

void NumberStepper::step(double delta)
{
    // Counts from what is typed, even before the box has committed it.
    m_box->interpretText();
    const double v = ConfigForm::Step(m_box->value(), delta, {m_box->minimum(), m_box->maximum()});
    m_box->setValue(v);
    emit stepped(v);
}

double NumberStepper::value() const { return m_box->value(); }
void NumberStepper::setValue(double v) { m_box->setValue(v); }
void NumberStepper::setRange(double min, double max) { m_box->setRange(min, max); }
double NumberStepper::minimum() const { return m_box->minimum(); }
double NumberStepper::maximum() const { return m_box->maximum(); }
void NumberStepper::setTypingAllowed(bool on) { m_box->setReadOnly(!on); }
