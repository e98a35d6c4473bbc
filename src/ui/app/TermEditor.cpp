#include "TermEditor.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TermEditor::TermEditor(QWidget* parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("TMSFMXPopupJargon"));
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    setStyleSheet(QStringLiteral("#TMSFMXPopupJargon { background: white; border: 1px solid #999; border-radius: 10px; }"));
    auto* v = new QVBoxLayout(this);
    auto* header = new QLabel(QStringLiteral("Jargon"), this);
    header->setAlignment(Qt::AlignCenter);
    header->setStyleSheet(QStringLiteral("font-weight: bold;"));
    m_origin = new QLabel(this);
    m_origin->setObjectName(QStringLiteral("LabelOrigin"));
    m_edit = new QLineEdit(this);
    m_edit->setObjectName(QStringLiteral("EditJargon"));
    auto* buttons = new QHBoxLayout;
    auto* back = new QPushButton(QStringLiteral("Terug"), this);
    back->setObjectName(QStringLiteral("ButtonJargonTerug"));
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("ButtonJargonOK"));
    buttons->addWidget(back);
    buttons->addWidget(ok);
    v->addWidget(header);
    v->addWidget(m_origin);
    v->addWidget(m_edit);
    v->addLayout(buttons);
    connect(back, &QPushButton::clicked, this, &QWidget::hide);
    connect(ok, &QPushButton::clicked, this, [this] {
        emit SaveTerm(m_item, m_edit->text());
        hide();
    });
    hide();
}

void TermEditor::Open(const QString& itemName, const QString& currentCaption)
{
    m_item = itemName;
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
