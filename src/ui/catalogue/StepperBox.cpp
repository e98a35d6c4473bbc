#include "StepperBox.h"

#include "app/KVWidgets.h"

#include <QDoubleSpinBox>
#include <QHBoxLayout>

StepperBox::StepperBox(const QString& boxName, const QString& minusName, const QString& plusName, double min,
                       double max, int decimals, bool plusFirst, QWidget* parent)
    : QWidget(parent)
{
    auto* h = new QHBoxLayout(this);
    h->setContentsMargins(0, 0, 0, 0);
    h->setSpacing(2);
    m_box = new QDoubleSpinBox(this);
    m_box->setObjectName(boxName);
    m_box->setRange(min, max);
    m_box->setDecimals(decimals);
    m_box->setButtonSymbols(QAbstractSpinBox::NoButtons);
    m_box->setAlignment(Qt::AlignRight);
    m_box->setKeyboardTracking(false);
    auto* minus = new KVSpeedButton(minusName, QStringLiteral("-"), this);
    auto* plus = new KVSpeedButton(plusName, QStringLiteral("+"), this);
    for (auto* b : {minus, plus})
        b->setAutoRepeat(true);
    connect(minus, &QToolButton::clicked, this, [this] { step(-1); });
    connect(plus, &QToolButton::clicked, this, [this] { step(1); });
    if (plusFirst) {
        h->addWidget(plus);
        h->addWidget(m_box, 1);
        h->addWidget(minus);
    } else {
        h->addWidget(minus);
        h->addWidget(m_box, 1);
        h->addWidget(plus);
    }
}

double StepperBox::value() const
{
    // A value being typed counts.
    m_box->interpretText();
    return m_box->value();
}

void StepperBox::setValue(double v) { m_box->setValue(v); }

void StepperBox::step(double delta)
{
    m_box->interpretText();
    m_box->setValue(std::clamp(m_box->value() + delta, m_box->minimum(), m_box->maximum()));
}
