#include "document/Sheet.h"
#include "document/SheetPainter.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

TEST(Sheet, MergeCoversCellsAndANewBlockSplitsTheOldOne)
{
    Sheet s;
    s.Resize(10, 6);
    s.Merge(1, 1, 3, 2);
    EXPECT_EQ(s.Cell(1, 1).colSpan, 3);
    EXPECT_EQ(s.Cell(1, 1).rowSpan, 2);
    EXPECT_EQ(s.BaseOf(3, 2), QPoint(1, 1));
    EXPECT_EQ(s.BaseOf(4, 2), QPoint(4, 2));

    s.Merge(3, 2, 2, 1); // overlaps the corner of the first block
    EXPECT_EQ(s.Cell(1, 1).colSpan, 1);
    EXPECT_FALSE(s.Cell(2, 1).IsCovered());
    EXPECT_EQ(s.BaseOf(4, 2), QPoint(3, 2));

    s.Merge(8, 5, 5, 5); // reaches past the edge: cut back to it
    EXPECT_EQ(s.Cell(8, 5).colSpan, 2);
    EXPECT_EQ(s.Cell(8, 5).rowSpan, 1);
}

TEST(Sheet, AccessOutsideTheGridIsIgnored)
{
    Sheet s;
    s.Resize(2, 2);
    s.SetText(5, 5, QStringLiteral("x"));
    s.SetText(-1, 0, QStringLiteral("x"));
    s.Merge(1, 1, 4, 4);
    EXPECT_TRUE(s.Text(5, 5).isEmpty());
    EXPECT_EQ(s.Cell(1, 1).colSpan, 1);
}

TEST(Sheet, ResizeKeepsContentAndClearKeepsSizeAndImages)
{
    Sheet s;
    s.Resize(10, 5);
    s.SetText(9, 4, QStringLiteral("last"));
    s.Merge(0, 3, 10, 2);
    s.images.Set(QStringLiteral("logo"), QImage(4, 4, QImage::Format_RGB32));
    s.Resize(10, 4);
    EXPECT_EQ(s.Cell(0, 3).rowSpan, 1);
    s.Resize(10, 8);
    EXPECT_TRUE(s.Text(9, 4).isEmpty());
    s.SetText(2, 2, QStringLiteral("x"));
    s.SetColor(2, 2, 0xFFF5F5F5);
    s.Clear();
    EXPECT_EQ(s.RowCount(), 8);
    EXPECT_TRUE(s.Text(2, 2).isEmpty());
    EXPECT_EQ(s.Cell(2, 2).color, 0u);
    EXPECT_EQ(s.Cell(0, 3).colSpan, 1);
    EXPECT_TRUE(s.images.Contains(QStringLiteral("LOGO")));
}

TEST(Sheet, FloatsUseTheGeneralFormatWithTheLocaleSeparator)
{
    const std::pair<double, const char*> cases[] = {
        {0, "0"}, {245, "245"}, {12.5, "12,5"}, {0.1 + 0.2, "0,3"}, {1234567, "1,23457e+06"}, {-3, "-3"},
    };
    for (const auto& [value, text] : cases)
        EXPECT_EQ(Sheet::FloatText(value), QString::fromUtf8(text)) << value;
}

TEST(Sheet, ChangesInsideABracketAreReportedOnceAtTheEnd)
{
    Sheet s;
    s.Resize(3, 3);
    int calls = 0;
    s.SetChangedHandler([&] { ++calls; });
    s.BeginUpdate();
    s.BeginUpdate();
    s.SetText(0, 0, QStringLiteral("a"));
    s.SetText(1, 1, QStringLiteral("b"));
    s.EndUpdate();
    EXPECT_EQ(calls, 0);
    s.EndUpdate();
    EXPECT_EQ(calls, 1);
    s.BeginUpdate();
    s.EndUpdate(); // nothing changed
    EXPECT_EQ(calls, 1);
}

TEST(Sheet, InlineImageReferences)
{
    struct Case { const char* text; const char* name; const char* rest; };
    const Case cases[] = {
        {"<img src=\"Itemchecked\"/>Regie", "Itemchecked", "Regie"},
        {"<IMG SRC='ItemUnchecked' />", "ItemUnchecked", ""},
        {"<img src=logo>Text", "logo", "Text"},
        {"Regie <img src=\"x\"/>", "", "Regie <img src=\"x\"/>"},
        {"<img alt=\"x\">Text", "", "<img alt=\"x\">Text"},
        {"<img src=\"open", "", "<img src=\"open"},
    };
    for (const Case& c : cases) {
        QString rest;
        EXPECT_EQ(SheetPainter::SplitInlineImage(QString::fromUtf8(c.text), &rest), QString::fromUtf8(c.name)) << c.text;
        EXPECT_EQ(rest, QString::fromUtf8(c.rest)) << c.text;
    }
}

namespace {
QImage render(const Sheet& s, qreal scale, SheetPainter::Target target)
{
    QImage img(qCeil(s.WidthUnits() * scale), qCeil(s.HeightUnits() * scale), QImage::Format_RGB32);
    img.fill(Qt::red);
    QPainter p(&img);
    SheetPainter(s).Paint(p, scale, target);
    return img;
}
}

// Shading, images that fill their block and inline images looked up without regard to case.
TEST(SheetPainter, DrawsShadingImagesAndInlineImages)
{
    Sheet s;
    s.Resize(10, 6);
    s.printCellBackground = PrintCellBackground::Full;
    s.Merge(0, 0, 2, 1);
    s.SetColor(0, 0, 0xFFF5F5F5);
    QImage green(20, 20, QImage::Format_RGB32);
    green.fill(Qt::green);
    s.images.Set(QStringLiteral("Logo"), green);
    s.Merge(0, 1, 4, 4);
    s.SetImage(0, 1, QStringLiteral("LOGO"), SheetAlign::Leading);
    QImage blue(13, 13, QImage::Format_RGB32);
    blue.fill(Qt::blue);
    s.images.Set(QStringLiteral("ItemChecked"), blue);
    s.SetText(5, 1, QStringLiteral("<img src=\"Itemchecked\"/>"));

    const qreal scale = 2;
    const QImage img = render(s, scale, SheetPainter::Target::Screen);
    auto at = [&](double ux, double uy) { return QColor(img.pixel(int(ux * scale), int(uy * scale))); };
    EXPECT_EQ(at(53, 7), QColor(245, 245, 245));      // the shaded block, away from its borders
    EXPECT_EQ(at(200, 7), QColor(Qt::white));         // the ground
    EXPECT_EQ(at(30, 14.5 + 29), QColor(Qt::green));  // the square image fills the 58-unit height
    EXPECT_EQ(at(30 + 58, 14.5 + 29), QColor(Qt::white)); // aspect kept, placed at the left
    EXPECT_EQ(at(5 * 53 + 2 + 6, 14.5 + 7), QColor(Qt::blue));

    s.printCellBackground = PrintCellBackground::None;
    const QImage paper = render(s, scale, SheetPainter::Target::Print);
    EXPECT_EQ(QColor(paper.pixel(int(53 * scale), int(7 * scale))), QColor(Qt::red)); // nothing printed there
}

TEST(SheetPainter, CellUnderAPoint)
{
    Sheet s;
    s.Resize(10, 4);
    const SheetPainter p(s);
    EXPECT_EQ(p.CellAt({0, 0}), QPoint(0, 0));
    EXPECT_EQ(p.CellAt({53 * 9 + 1, 14.5 * 3 + 1}), QPoint(9, 3));
    EXPECT_EQ(p.CellAt({530.5, 1}), QPoint(-1, -1));
    EXPECT_EQ(p.CellAt({1, -0.5}), QPoint(-1, -1));
    s.Merge(2, 1, 3, 2);
    EXPECT_EQ(p.BlockRect(4, 2), QRectF(106, 14.5, 159, 29));
}
