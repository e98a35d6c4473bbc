#pragma once
#include "Sheet.h"

#include <QFont>
#include <QPointF>
#include <QRectF>

class QPainter;

// How a text fills its block: the lines it takes when the sheet lays it out there, and the
// lines the block shows. A text that takes more is cut after the last line shown, which then
// ends in "…".
struct TextFit {
    int lines = 0;
    int shown = 0;
    bool Fits() const { return lines <= shown; }
};

// Draws a Sheet on any QPainter: the preview widget and the PDF use this one drawing, so the
// two cannot differ. Positions are in sheet units (column width 53, row height 14.5); the
// scale says how many device units one sheet unit takes.
class SheetPainter {
public:
    enum class Target { Screen, Print };

    explicit SheetPainter(const Sheet& sheet) : m_sheet(sheet) {}

    // Paints the sheet with its top-left corner at the painter's origin. Only blocks that meet
    // `exposed` (in sheet units; empty: everything) are drawn.
    void Paint(QPainter& painter, qreal scale, Target target = Target::Screen, const QRectF& exposed = {}) const;

    QSizeF SizeUnits() const { return {m_sheet.WidthUnits(), m_sheet.HeightUnits()}; }
    // The cell under a point given in sheet units, or (-1, -1) outside the sheet.
    QPoint CellAt(const QPointF& units) const;
    // The rectangle of the block holding (col, row), in sheet units.
    QRectF BlockRect(int col, int row) const;
    // How text would fill the block of (col, row), with that cell's font and wrapping.
    TextFit FitText(int col, int row, const QString& text) const;

    // The font of a cell: Arial (Liberation Sans where Arial is not installed), its size in
    // sheet units, bold when the cell says so.
    static QFont CellFont(const SheetCell& cell);
    // Splits a leading inline image reference (<img src="name"/>) off a cell text.
    // Returns the image name (empty when there is none) and leaves the rest in `rest`.
    static QString SplitInlineImage(const QString& text, QString* rest);

private:
    struct Layout;
    // The text of a cell as it is drawn in rect: where its lines go and which of them show.
    void layOut(Layout& l, int col, int row, const SheetCell& cell, const QRectF& rect, const QString& text) const;
    void paintBlock(QPainter& p, int col, int row, const QRectF& rect, Target target) const;
    void paintText(QPainter& p, int col, int row, const SheetCell& cell, const QRectF& rect) const;

    const Sheet& m_sheet;
};
