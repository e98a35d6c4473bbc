#include "SheetPainter.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextLayout>
#include <QTextOption>
#include <cmath>

namespace {
constexpr qreal kTextInsetX = 2.0;  // units
constexpr qreal kTextInsetY = 1.0;
constexpr qreal kImageInset = 1.5;
constexpr qreal kImageGap = 3.0;    // between an inline image and its text
constexpr qreal kPrintBorder = 0.5; // units
constexpr qreal kMinShrink = 0.7;   // a line too wide for its block is drawn down to this size
constexpr qreal kTolerance = 0.01;  // units: what measuring may be off by
const QColor kBorder(0xB4, 0xB4, 0xB4);

Qt::Alignment horizontal(SheetAlign a)
{
    switch (a) {
    case SheetAlign::Center: return Qt::AlignHCenter;
    case SheetAlign::Trailing: return Qt::AlignRight;
    default: return Qt::AlignLeft;
    }
}

// The image scaled into the rectangle with its aspect ratio kept, placed by alignment and
// centred vertically.
QRectF fitImage(const QSizeF& image, const QRectF& into, SheetAlign align)
{
    if (image.isEmpty() || into.isEmpty())
        return {};
    const qreal f = std::min(into.width() / image.width(), into.height() / image.height());
    const QSizeF size = image * f;
    qreal x = into.left();
    if (align == SheetAlign::Center)
        x += (into.width() - size.width()) / 2;
    else if (align == SheetAlign::Trailing)
        x = into.right() - size.width();
    return QRectF(QPointF(x, into.top() + (into.height() - size.height()) / 2), size);
}
}

QFont SheetPainter::CellFont(const SheetCell& cell)
{
    QFont f;
    f.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
    f.setPixelSize(cell.fontSize > 0 ? cell.fontSize : Sheet::DefaultFontSize);
    f.setBold(cell.bold);
    // Unhinted outlines lay text out the same at every scale and on every device.
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}

QString SheetPainter::SplitInlineImage(const QString& text, QString* rest)
{
    if (rest)
        *rest = text;
    if (!text.startsWith(QLatin1String("<img"), Qt::CaseInsensitive))
        return {};
    const qsizetype close = text.indexOf(QLatin1Char('>'));
    const qsizetype src = text.indexOf(QLatin1String("src="), 4, Qt::CaseInsensitive);
    if (close < 0 || src < 0 || src > close || src + 4 >= close)
        return {};
    const QChar quote = text[src + 4];
    QString name;
    if (quote == QLatin1Char('"') || quote == QLatin1Char('\'')) {
        const qsizetype end = text.indexOf(quote, src + 5);
        if (end < 0 || end > close)
            return {};
        name = text.mid(src + 5, end - src - 5);
    } else {
        qsizetype end = src + 4;
        while (end < close && !text[end].isSpace() && text[end] != QLatin1Char('/'))
            ++end;
        name = text.mid(src + 4, end - src - 4);
    }
    if (rest)
        *rest = text.mid(close + 1);
    return name;
}

QPoint SheetPainter::CellAt(const QPointF& units) const
{
    if (units.x() < 0 || units.y() < 0)
        return {-1, -1};
    const int col = int(units.x() / Sheet::ColumnWidth);
    const int row = int(units.y() / Sheet::RowHeight);
    if (!m_sheet.Contains(col, row))
        return {-1, -1};
    return {col, row};
}

QRectF SheetPainter::BlockRect(int col, int row) const
{
    const QPoint base = m_sheet.BaseOf(col, row);
    const SheetCell& c = m_sheet.Cell(base.x(), base.y());
    return QRectF(base.x() * Sheet::ColumnWidth, base.y() * Sheet::RowHeight,
                  c.colSpan * Sheet::ColumnWidth, c.rowSpan * Sheet::RowHeight);
}

void SheetPainter::Paint(QPainter& p, qreal scale, Target target, const QRectF& exposed) const
{
    p.save();
    p.scale(scale, scale);
    p.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform);
    const bool print = target == Target::Print;
    const QRectF whole(QPointF(0, 0), SizeUnits());
    const QRectF area = exposed.isEmpty() ? whole : exposed.intersected(whole);
    if (!print || m_sheet.printCellBackground == PrintCellBackground::Full)
        p.fillRect(area, Qt::white);

    QVector<QRectF> borders;
    for (int r = 0; r < m_sheet.RowCount(); ++r)
        for (int c = 0; c < m_sheet.ColumnCount(); ++c) {
            const SheetCell& cell = m_sheet.Cell(c, r);
            if (cell.IsCovered())
                continue;
            const QRectF rect(c * Sheet::ColumnWidth, r * Sheet::RowHeight,
                              cell.colSpan * Sheet::ColumnWidth, cell.rowSpan * Sheet::RowHeight);
            if (!rect.intersects(area))
                continue;
            paintBlock(p, c, r, rect, target);
            borders << rect;
        }

    // Thin borders on top: one device pixel on screen, half a unit on paper.
    if (print) {
        QPen pen(kBorder, kPrintBorder);
        pen.setJoinStyle(Qt::MiterJoin);
        p.setPen(pen);
    } else {
        QPen pen(kBorder, 1);
        pen.setCosmetic(true);
        p.setPen(pen);
        p.setRenderHint(QPainter::Antialiasing, false);
    }
    p.setBrush(Qt::NoBrush);
    p.drawRects(borders.constData(), int(borders.size()));
    if (!print) // the right and bottom edge fall just outside the pixels of the sheet
        p.drawRect(whole.adjusted(0, 0, -1 / scale, -1 / scale));
    p.restore();
}

void SheetPainter::paintBlock(QPainter& p, int col, int row, const QRectF& rect, Target target) const
{
    const SheetCell& cell = m_sheet.Cell(col, row);
    const bool print = target == Target::Print;
    if (cell.color != 0 && (!print || m_sheet.printCellBackground != PrintCellBackground::None))
        p.fillRect(rect, QColor::fromRgba(cell.color));

    // An image fills its whole block.
    const QImage image = !cell.imageName.isEmpty() ? m_sheet.images.Find(cell.imageName) : cell.image;
    if (!image.isNull()) {
        const QRectF target = fitImage(image.size(), rect.adjusted(kImageInset, kImageInset, -kImageInset, -kImageInset),
                                       cell.imageAlign);
        if (!target.isEmpty())
            p.drawImage(target, image);
    }
    if (!cell.text.isEmpty())
        paintText(p, col, row, cell, rect);
}

namespace {
// The line with "…" at its end, as much of it kept as leaves room for the dots within width:
// a whole line gets " …", a line cut short "…" straight after its last character.
QString withEllipsis(QString line, const QFontMetricsF& fm, qreal width)
{
    static const QString dots(QChar(0x2026));
    const auto trimEnd = [&line] {
        while (!line.isEmpty() && line.back().isSpace())
            line.chop(1);
    };
    trimEnd();
    if (const QString whole = line + QLatin1Char(' ') + dots; fm.horizontalAdvance(whole) <= width)
        return whole;
    while (!line.isEmpty() && fm.horizontalAdvance(line + dots) > width) {
        line.chop(line.size() >= 2 && line.back().isLowSurrogate() ? 2 : 1);
        trimEnd();
    }
    return line + dots;
}
} // namespace

// The text of a block as it is drawn: laid out once, its lines in place, so that measuring and
// drawing cannot differ and the text is shaped only once.
struct SheetPainter::Layout {
    QTextLayout text;
    QRectF at;            // in the frame the text is drawn in (shrunk by `shrink` from `origin`)
    QPointF origin;
    qreal shrink = 1;     // a line a little too wide is drawn smaller
    qreal top = 0;        // of the first line within `at`
    Qt::Alignment align;  // of each line within `at`
    TextFit fit;
    bool cut = false;     // the text is drawn as the lines that show, the last ending in "…"
};

namespace {
// Lays the text out in lines of the given width (none: one line per paragraph), one below the
// other on whole units as QPainter::drawText places them. Returns the height of the lines.
qreal layLines(QTextLayout& layout, const QString& text, const QTextOption& option, qreal width)
{
    layout.clearLayout();
    layout.setText(text);
    layout.setTextOption(option);
    const qreal leading = QFontMetricsF(layout.font()).leading();
    qreal height = -leading;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        height = std::ceil(height + leading);
        line.setPosition(QPointF(0, height));
        height += line.ascent() + line.descent();
    }
    layout.endLayout();
    return std::max<qreal>(0, height);
}

// The number of whole lines, placed as layLines places them, that a block of this height
// shows; at least one.
int linesWithin(const QFontMetricsF& fm, qreal height)
{
    int lines = 0;
    for (qreal y = 0; lines == 0 || y + fm.height() <= height; y = std::ceil(y + fm.height() + fm.leading()))
        ++lines;
    return lines;
}
} // namespace

void SheetPainter::layOut(Layout& l, int col, int row, const SheetCell& cell, const QRectF& rect, const QString& source) const
{
    const QFont font = CellFont(cell);
    const QFontMetricsF fm(font);
    l.text.setFont(font);
    l.at = rect;
    QString text = source;
    text.replace(QLatin1Char('\n'), QChar::LineSeparator);
    // Wrapping only where the block has room for a second line; a one-row label keeps its
    // word whole.
    const bool wrap = m_sheet.WordWrap(col) && rect.height() >= 2 * fm.lineSpacing();
    QTextOption option;
    option.setUseDesignMetrics(true);
    option.setWrapMode(wrap ? QTextOption::WrapAtWordBoundaryOrAnywhere : QTextOption::NoWrap);
    // Lines are aligned one by one when they are drawn.
    l.align = horizontal(m_sheet.DisplayAlignment(col, row));
    if (!wrap)
        option.setFlags(QTextOption::IncludeTrailingSpaces);
    // Wrapped text of a block of several rows reads from the top; all else is centred.
    const bool fromTop = wrap && cell.rowSpan > 1;

    qreal height = layLines(l.text, text, option, rect.width());
    qreal widest = 0;
    for (int i = 0; i < l.text.lineCount(); ++i)
        widest = std::max(widest, l.text.lineAt(i).naturalTextWidth());
    if (!wrap && widest > rect.width() && rect.width() > 0) {
        // A line a little too wide is drawn smaller rather than cut (a ticket number in its
        // one column); beyond that it is cut.
        l.shrink = std::max(kMinShrink, rect.width() / widest);
        l.origin = rect.topLeft();
        l.at = QRectF(QPointF(0, 0), rect.size() / l.shrink);
        height = layLines(l.text, text, option, l.at.width());
    }

    const int shown = linesWithin(fm, l.at.height());
    l.fit = {l.text.lineCount(), shown};
    l.cut = l.fit.lines > shown || (!wrap && widest * l.shrink > rect.width() + kTolerance);

    // A text that does not fit is drawn as the lines that show, so that nothing beyond them is
    // on the page, not even as text hidden by a clip; its last line ends in "…".
    if (l.cut) {
        QStringList lines;
        for (int i = 0; i < shown; ++i) {
            const QTextLine line = l.text.lineAt(i);
            QString piece = text.mid(line.textStart(), line.textLength());
            while (!piece.isEmpty() && (piece.back() == QChar::LineSeparator || piece.back().isSpace()))
                piece.chop(1);
            if (line.naturalTextWidth() > l.at.width() + kTolerance) // a line that does not wrap
                piece = withEllipsis(piece, fm, l.at.width());
            lines << piece;
        }
        if (l.fit.lines > shown && !lines.last().endsWith(QChar(0x2026)))
            lines.last() = withEllipsis(lines.last(), fm, l.at.width());
        option.setWrapMode(QTextOption::NoWrap);
        height = layLines(l.text, lines.join(QChar::LineSeparator), option, l.at.width());
    }
    l.top = fromTop ? 0 : (l.at.height() - height) / 2;
}

TextFit SheetPainter::FitText(int col, int row, const QString& text) const
{
    const QPoint base = m_sheet.BaseOf(col, row);
    const QRectF rect = BlockRect(base.x(), base.y()).adjusted(kTextInsetX, kTextInsetY, -kTextInsetX, -kTextInsetY);
    Layout l;
    layOut(l, base.x(), base.y(), m_sheet.Cell(base.x(), base.y()), rect, text);
    if (text.isEmpty())
        l.fit.lines = 0;
    return l.fit;
}

void SheetPainter::paintText(QPainter& p, int col, int row, const SheetCell& cell, const QRectF& rect) const
{
    QRectF textRect = rect.adjusted(kTextInsetX, kTextInsetY, -kTextInsetX, -kTextInsetY);
    QString text;
    const QString inlineName = SplitInlineImage(cell.text, &text);
    if (!inlineName.isEmpty()) {
        const QImage img = m_sheet.images.Find(inlineName);
        if (!img.isNull()) {
            // The image at its own size in units, never taller than the row.
            QSizeF size = img.size();
            const qreal maxH = std::min(textRect.height(), Sheet::RowHeight - 2 * kTextInsetY);
            if (size.height() > maxH)
                size *= maxH / size.height();
            const QRectF at(QPointF(textRect.left(), textRect.center().y() - size.height() / 2), size);
            p.drawImage(at, img);
            textRect.setLeft(at.right() + kImageGap);
        }
    }
    if (text.isEmpty())
        return;
    Layout l;
    layOut(l, col, row, cell, textRect, text);
    p.setPen(Qt::black);
    // The text stays inside its block: what does not fit is not drawn, and an ellipsis that
    // comes out a hair too wide is clipped.
    const bool clip = l.cut;
    if (clip || l.shrink != 1) {
        p.save();
        if (clip)
            p.setClipRect(rect, Qt::IntersectClip);
        p.translate(l.origin);
        p.scale(l.shrink, l.shrink);
    }
    for (int i = 0; i < l.text.lineCount(); ++i) {
        const QTextLine line = l.text.lineAt(i);
        qreal x = 0;
        if (l.align & Qt::AlignRight)
            x = l.at.width() - line.horizontalAdvance();
        else if (l.align & Qt::AlignHCenter)
            x = (l.at.width() - line.horizontalAdvance()) / 2;
        line.draw(&p, l.at.topLeft() + QPointF(x, l.top));
    }
    if (clip || l.shrink != 1)
        p.restore();
}
