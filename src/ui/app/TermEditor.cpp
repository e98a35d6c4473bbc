#include "TermEditor.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TermEditor::TermEditor(QWidget* parent, Translation translate) : QFrame(parent), m_translate(std::move(translate))
{
    setObjectName(QStringLiteral("TMSFMXPopupJargon"));
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    setStyleSheet(QStringLiteral("#TMSFMXPopupJargon { background: white; border: 1px solid #999; border-radius: 10px; }"));
    auto* v = new QVBoxLayout(this);
    m_header = new QLabel(this);
    m_header->setAlignment(Qt::AlignCenter);
    m_header->setStyleSheet(QStringLiteral("font-weight: bold;"));
    m_origin = new QLabel(this);
    m_origin->setObjectName(QStringLiteral("LabelOrigin"));
    m_edit = new QLineEdit(this);
    m_edit->setObjectName(QStringLiteral("EditJargon"));
    auto* buttons = new QHBoxLayout;
    m_back = new QPushButton(this);
    m_back->setObjectName(QStringLiteral("ButtonJargonTerug"));
    m_ok = new QPushButton(this);
    m_ok->setObjectName(QStringLiteral("ButtonJargonOK"));
    buttons->addWidget(m_back);
    buttons->addWidget(m_ok);
    v->addWidget(m_header);
    v->addWidget(m_origin);
    v->addWidget(m_edit);
    v->addLayout(buttons);
    connect(m_back, &QPushButton::clicked, this, &QWidget::hide);
    connect(m_ok, &QPushButton::clicked, this, [this] {
        emit SaveTerm(m_item, m_edit->text());
        hide();
    });
    hide();
}

void TermEditor::Open(const QString& itemName, const QString& currentCaption)
{
    m_item = itemName;
    m_header->setText(m_translate(QStringLiteral("Jargon")));
    m_back->setText(m_translate(QStringLiteral("Terug")));
    m_ok->setText(m_translate(QStringLiteral("OK")));
    m_origin->setText(currentCaption);
    m_edit->clear();
    centre();
    show();
    raise();
    m_edit->setFocus();
}

void TermEditor::centre()
{
    const QWidget* p = parentWidget();
    const int w = std::min(p->width() - 20, 360);
    resize(w, sizeHint().height());
    move((p->width() - w) / 2, (p->height() - height()) / 2);
}
