#include "NumberStepper.h"

#include "app/ConfigForm.h"

#include <QAbstractSpinBox>
#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>

NumberStepper::NumberStepper(const QString& name, double min, double max, int decimals, double step, QWidget* parent)
    : QWidget(parent), m_step(step)
{
    setObjectName(QStringLiteral("Stepper") + name);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(6);
    m_box = new QDoubleSpinBox(this);
    m_box->setObjectName(QStringLiteral("NumberBox") + name);
    m_box->setButtonSymbols(QAbstractSpinBox::NoButtons);
    m_box->setDecimals(decimals);
    m_box->setRange(min, max);
    m_box->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_box->setKeyboardTracking(false);
    m_box->setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
    m_box->setProperty("kvStepperBox", true);
    // Right-aligned and of one width, so the boxes of a list form one column.
    row->addStretch(1);
    if (step == 0) {
        row->addWidget(m_box);
    } else {
        auto button = [this](const QString& objectName, const QString& text) {
            auto* b = new QToolButton(this);
            b->setObjectName(objectName);
            b->setText(text);
            b->setProperty("kvStepper", true);
            b->setAutoRepeat(true);
            b->setFocusPolicy(Qt::NoFocus);
            b->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
            return b;
        };
        auto* minus = button(QStringLiteral("ButtonMin") + name, QStringLiteral("-"));
        auto* plus = button(QStringLiteral("ButtonPlus") + name, QStringLiteral("+"));
        row->addWidget(minus);
        row->addWidget(m_box);
        row->addWidget(plus);
        connect(minus, &QToolButton::clicked, this, [this] { this->step(-m_step); });
        connect(plus, &QToolButton::clicked, this, [this] { this->step(m_step); });
    }
    connect(m_box, &QDoubleSpinBox::valueChanged, this, &NumberStepper::valueChanged);
}

void NumberStepper::step(double delta)
{
    const double v = ConfigForm::Step(value(), delta, {m_box->minimum(), m_box->maximum()});
    m_box->setValue(v);
    emit stepped(v);
}

double NumberStepper::value() const
{
    // Without keyboard tracking the box commits a typed number only when editing ends; a tap
    // on a button that takes no focus must still see it.
    if (!m_box->isReadOnly())
        m_box->interpretText();
    return m_box->value();
}

void NumberStepper::setValue(double v) { m_box->setValue(v); }
void NumberStepper::setRange(double min, double max) { m_box->setRange(min, max); }
double NumberStepper::minimum() const { return m_box->minimum(); }
double NumberStepper::maximum() const { return m_box->maximum(); }
void NumberStepper::setTypingAllowed(bool on) { m_box->setReadOnly(!on); }

void NumberStepper::setSuffixLabel(const QString& text)
{
    if (!m_suffix) {
        m_suffix = new QLabel(this);
        m_suffix->setObjectName(objectName() + QStringLiteral("Unit"));
        m_suffix->setProperty("kvUnit", true);
        // Before the buttons, so the boxes stay in one column.
        static_cast<QHBoxLayout*>(layout())->insertWidget(1, m_suffix);
    }
    m_suffix->setText(text);
}
