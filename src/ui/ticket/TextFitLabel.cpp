#include "TextFitLabel.h"

#include "TicketPages.h"
#include "document/KVGrid.h"

#include <QPlainTextEdit>

TextFitLabel::TextFitLabel(const QString& objectName, const KVGlobal& g, QPlainTextEdit* memo, Fit fit, QWidget* parent)
    : QLabel(parent), m_g(g), m_memo(memo), m_fit(std::move(fit))
{
    setObjectName(objectName);
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    connect(memo, &QPlainTextEdit::textChanged, this, &TextFitLabel::Refresh);
    Refresh();
}

void TextFitLabel::Refresh()
{
    const TextFit fit = m_fit(m_g, MemoLines(m_memo));
    m_over = !fit.Fits();
    setText(TextFitCaption(m_g, fit));
    setStyleSheet(m_over ? QStringLiteral("color: #C00000; font-weight: bold;") : QStringLiteral("color: #707070;"));
}
