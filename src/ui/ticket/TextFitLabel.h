#pragma once
#include "document/SheetPainter.h"

#include <QLabel>
#include <QStringList>
#include <functional>

class KVGlobal;
class QPlainTextEdit;

// Under a memo whose text goes into a block of the document: how many lines of the block the
// text takes while it is typed, "7 / 9 regels", in red once it takes more than the block shows
// (the document then cuts it after the last line, ending in "…").
class TextFitLabel : public QLabel {
    Q_OBJECT
public:
    using Fit = std::function<TextFit(const KVGlobal& g, const QStringList& lines)>;
    TextFitLabel(const QString& objectName, const KVGlobal& g, QPlainTextEdit* memo, Fit fit, QWidget* parent = nullptr);

    // Measures the memo's text again: after it changed, and when the page opens (the block's
    // size follows the document's row plan).
    void Refresh();
    bool Over() const { return m_over; }

private:
    const KVGlobal& m_g;
    QPlainTextEdit* m_memo;
    Fit m_fit;
    bool m_over = false;
};
