#pragma once
#include <QHash>
#include <QImage>
#include <QPoint>
#include <QString>
#include <QVector>
#include <functional>

// Horizontal alignment of a cell's text or image.
enum class SheetAlign { Leading, Center, Trailing };

// How cell backgrounds go onto paper: not at all, only cells with a colour of their own, or
// everything including the white ground.
enum class PrintCellBackground { None, CellColor, Full };

// The image list of a sheet: named images, looked up without regard to case.
class SheetImages {
public:
    void Set(const QString& name, const QImage& image);
    void Remove(const QString& name);
    bool Contains(const QString& name) const { return m_images.contains(name.toLower()); }
    // The image of that name, or a null image.
    QImage Find(const QString& name) const { return m_images.value(name.toLower()); }
    int Count() const { return int(m_images.size()); }

private:
    QHash<QString, QImage> m_images; // lower-case name -> image
};

// One cell. A merged block keeps its text and style on the base cell (its top-left cell);
// the other cells of the block point at the base and are not drawn themselves.
struct SheetCell {
    QString text;
    QRgb color = 0;             // 0: the default background; else an ARGB colour
    int fontSize = 11;
    bool bold = false;
    SheetAlign align = SheetAlign::Leading;
    int colSpan = 1, rowSpan = 1; // of the block, on its base cell
    int baseCol = -1, baseRow = -1; // set on covered cells only
    QString imageName;          // an image of the list, drawn over the whole block
    QImage image;               // a bitmap of the cell's own (a copy), drawn the same way
    SheetAlign imageAlign = SheetAlign::Center;

    bool IsCovered() const { return baseCol >= 0; }
};

// The document as plain data: a grid of cells with fixed column width and row height, merges,
// colours, fonts, alignments and images. The ticket code writes it; SheetPainter draws it.
// Every access outside the grid is ignored (setters) or gives an empty cell (getters).
class Sheet {
public:
    static constexpr double ColumnWidth = 53.0; // units
    static constexpr double RowHeight = 14.5;   // units
    static constexpr int DefaultFontSize = 11;

    Sheet() = default;

    int ColumnCount() const { return m_cols; }
    int RowCount() const { return m_rows; }
    void SetColumnCount(int n) { Resize(n, m_rows); }
    void SetRowCount(int n) { Resize(m_cols, n); }
    void Resize(int cols, int rows);
    double WidthUnits() const { return m_cols * ColumnWidth; }
    double HeightUnits() const { return m_rows * RowHeight; }

    bool Contains(int col, int row) const { return col >= 0 && row >= 0 && col < m_cols && row < m_rows; }
    const SheetCell& Cell(int col, int row) const;

    QString Text(int col, int row) const { return Cell(col, row).text; }
    void SetText(int col, int row, const QString& text);
    // Shows a number in the general format "%g" with the locale's decimal separator.
    void SetFloat(int col, int row, double value);
    static QString FloatText(double value);

    void SetColor(int col, int row, QRgb argb);
    void SetFontSize(int col, int row, int size);
    void SetBold(int col, int row, bool bold);
    void SetAlignment(int col, int row, SheetAlign align);
    // Places a named image of the image list in the cell.
    void SetImage(int col, int row, const QString& imageName, SheetAlign align = SheetAlign::Leading);
    // Places a copy of a bitmap in the cell; a null image removes it.
    void SetBitmap(int col, int row, const QImage& image, SheetAlign align = SheetAlign::Center);
    void RemoveImages(int col, int row);

    // Merges the block; cells of earlier blocks that it overlaps are unmerged first.
    void Merge(int col, int row, int colSpan, int rowSpan);
    void Unmerge(int col, int row);
    // The base cell of the block holding (col, row): itself when it is not covered.
    QPoint BaseOf(int col, int row) const;

    void SetWordWrap(int col, bool on);
    bool WordWrap(int col) const { return col >= 0 && col < m_wordWrap.size() && m_wordWrap[col]; }

    PrintCellBackground printCellBackground = PrintCellBackground::None;
    SheetImages images;

    // The layout event: the alignment of a cell when it is drawn, given the stored one.
    // Empty: the stored alignment.
    std::function<SheetAlign(int col, int row, SheetAlign stored)> onGetCellLayout;
    SheetAlign DisplayAlignment(int col, int row) const;

    // Removes every cell's text, merge, colour, font, alignment and image. The size, the
    // column settings and the image list stay.
    void Clear();

    // Update bracket: the change handler runs when the outermost bracket closes (and after
    // every change made outside a bracket).
    void BeginUpdate() { ++m_updates; }
    void EndUpdate();
    bool Updating() const { return m_updates > 0; }
    void SetChangedHandler(std::function<void()> handler) { m_changed = std::move(handler); }

private:
    SheetCell* At(int col, int row);
    void Changed();

    int m_cols = 0, m_rows = 0;
    QVector<SheetCell> m_cells; // row-major
    QVector<bool> m_wordWrap;
    int m_updates = 0;
    bool m_dirty = false;
    std::function<void()> m_changed;
};
