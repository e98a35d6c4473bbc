#include "Sheet.h"

#include <QLocale>
#include <algorithm>

void SheetImages::Set(const QString& name, const QImage& image)
{
    m_images.insert(name.toLower(), image);
}

void SheetImages::Remove(const QString& name)
{
    m_images.remove(name.toLower());
}

namespace {
const SheetCell kEmptyCell;
}

void Sheet::Resize(int cols, int rows)
{
    cols = std::max(0, cols);
    rows = std::max(0, rows);
    if (cols == m_cols && rows == m_rows)
        return;
    QVector<SheetCell> cells(qsizetype(cols) * rows);
    for (int r = 0; r < std::min(rows, m_rows); ++r)
        for (int c = 0; c < std::min(cols, m_cols); ++c)
            cells[qsizetype(r) * cols + c] = std::move(m_cells[qsizetype(r) * m_cols + c]);
    m_cells = std::move(cells);
    m_cols = cols;
    m_rows = rows;
    m_wordWrap.resize(cols);
    // Blocks that now reach past the edge are cut back to it.
    for (int r = 0; r < m_rows; ++r)
        for (int c = 0; c < m_cols; ++c) {
            SheetCell& cell = m_cells[qsizetype(r) * m_cols + c];
            cell.colSpan = std::min(cell.colSpan, m_cols - c);
            cell.rowSpan = std::min(cell.rowSpan, m_rows - r);
        }
    Changed();
}

const SheetCell& Sheet::Cell(int col, int row) const
{
    return Contains(col, row) ? m_cells[qsizetype(row) * m_cols + col] : kEmptyCell;
}

SheetCell* Sheet::At(int col, int row)
{
    return Contains(col, row) ? &m_cells[qsizetype(row) * m_cols + col] : nullptr;
}

void Sheet::SetText(int col, int row, const QString& text)
{
    if (SheetCell* c = At(col, row); c && c->text != text) {
        c->text = text;
        Changed();
    }
}

QString Sheet::FloatText(double value)
{
    // "%g": six significant digits, the shortest of fixed and scientific form.
    QString s = QString::number(value, 'g', 6);
    const QString point = QLocale().decimalPoint();
    if (point != QLatin1String("."))
        s.replace(QLatin1Char('.'), point);
    return s;
}

void Sheet::SetFloat(int col, int row, double value)
{
    SetText(col, row, FloatText(value));
}

void Sheet::SetColor(int col, int row, QRgb argb)
{
    if (SheetCell* c = At(col, row)) {
        c->color = argb;
        Changed();
    }
}

void Sheet::SetFontSize(int col, int row, int size)
{
    if (SheetCell* c = At(col, row)) {
        c->fontSize = size > 0 ? size : DefaultFontSize;
        Changed();
    }
}

void Sheet::SetBold(int col, int row, bool bold)
{
    if (SheetCell* c = At(col, row)) {
        c->bold = bold;
        Changed();
    }
}

void Sheet::SetAlignment(int col, int row, SheetAlign align)
{
    if (SheetCell* c = At(col, row)) {
        c->align = align;
        Changed();
    }
}

void Sheet::SetImage(int col, int row, const QString& imageName, SheetAlign align)
{
    if (SheetCell* c = At(col, row)) {
        c->imageName = imageName;
        c->image = QImage();
        c->imageAlign = align;
        Changed();
    }
}

void Sheet::SetBitmap(int col, int row, const QImage& image, SheetAlign align)
{
    if (SheetCell* c = At(col, row)) {
        c->imageName.clear();
        c->image = image; // implicitly shared: later changes to the caller's image do not reach the cell
        c->imageAlign = align;
        Changed();
    }
}

void Sheet::RemoveImages(int col, int row)
{
    if (SheetCell* c = At(col, row)) {
        c->imageName.clear();
        c->image = QImage();
        Changed();
    }
}

QPoint Sheet::BaseOf(int col, int row) const
{
    const SheetCell& c = Cell(col, row);
    return c.IsCovered() ? QPoint(c.baseCol, c.baseRow) : QPoint(col, row);
}

void Sheet::Unmerge(int col, int row)
{
    if (!Contains(col, row))
        return;
    const QPoint base = BaseOf(col, row);
    SheetCell* b = At(base.x(), base.y());
    for (int r = base.y(); r < base.y() + b->rowSpan; ++r)
        for (int c = base.x(); c < base.x() + b->colSpan; ++c) {
            SheetCell* cell = At(c, r);
            cell->baseCol = cell->baseRow = -1;
        }
    b->colSpan = b->rowSpan = 1;
    Changed();
}

void Sheet::Merge(int col, int row, int colSpan, int rowSpan)
{
    if (!Contains(col, row))
        return;
    colSpan = std::clamp(colSpan, 1, m_cols - col);
    rowSpan = std::clamp(rowSpan, 1, m_rows - row);
    for (int r = row; r < row + rowSpan; ++r)
        for (int c = col; c < col + colSpan; ++c) {
            const SheetCell& cell = Cell(c, r);
            if (cell.IsCovered() || cell.colSpan > 1 || cell.rowSpan > 1)
                Unmerge(c, r);
        }
    for (int r = row; r < row + rowSpan; ++r)
        for (int c = col; c < col + colSpan; ++c) {
            if (c == col && r == row)
                continue;
            SheetCell* cell = At(c, r);
            cell->baseCol = col;
            cell->baseRow = row;
        }
    SheetCell* b = At(col, row);
    b->colSpan = colSpan;
    b->rowSpan = rowSpan;
    Changed();
}

void Sheet::SetWordWrap(int col, bool on)
{
    if (col >= 0 && col < m_wordWrap.size()) {
        m_wordWrap[col] = on;
        Changed();
    }
}

SheetAlign Sheet::DisplayAlignment(int col, int row) const
{
    const SheetAlign stored = Cell(col, row).align;
    return onGetCellLayout ? onGetCellLayout(col, row, stored) : stored;
}

void Sheet::Clear()
{
    std::fill(m_cells.begin(), m_cells.end(), SheetCell());
    Changed();
}

void Sheet::EndUpdate()
{
    if (m_updates > 0 && --m_updates == 0 && m_dirty) {
        m_dirty = false;
        if (m_changed)
            m_changed();
    }
}

void Sheet::Changed()
{
    if (m_updates > 0) {
        m_dirty = true;
        return;
    }
    if (m_changed)
        m_changed();
}
