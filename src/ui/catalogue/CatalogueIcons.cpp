#include "CatalogueIcons.h"

#include "app/KVWidgets.h"

#include <QAbstractButton>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QToolButton>

QIcon MakeCatalogueIcon(CatalogueIcon kind, const QColor& colour)
{
    constexpr int S = 48;
    QPixmap pm(S, S);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QPen pen(colour, 3.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    auto triangle = [&](double x, bool left) {
        QPainterPath t;
        t.moveTo(left ? x + 10 : x - 10, 14);
        t.lineTo(x, 24);
        t.lineTo(left ? x + 10 : x - 10, 34);
        t.closeSubpath();
        p.setBrush(colour);
        p.drawPath(t);
        p.setBrush(Qt::NoBrush);
    };
    switch (kind) {
    case CatalogueIcon::Delete: // waste bin
        p.drawLine(12, 13, 36, 13);
        p.drawLine(20, 13, 21, 8);
        p.drawLine(21, 8, 27, 8);
        p.drawLine(27, 8, 28, 13);
        p.drawPolyline(QPolygonF({QPointF(15, 17), QPointF(17, 40), QPointF(31, 40), QPointF(33, 17)}));
        p.drawLine(21, 21, 21, 35);
        p.drawLine(27, 21, 27, 35);
        break;
    case CatalogueIcon::SelectAll: // a checked list
        for (int i = 0; i < 3; ++i) {
            const int y = 12 + i * 12;
            p.drawPolyline(QPolygonF({QPointF(8, y), QPointF(11, y + 3), QPointF(16, y - 3)}));
            p.drawLine(22, y, 40, y);
        }
        break;
    case CatalogueIcon::Download:
    case CatalogueIcon::Upload: {
        const bool down = kind == CatalogueIcon::Download;
        p.drawPolyline(QPolygonF({QPointF(9, 30), QPointF(9, 39), QPointF(39, 39), QPointF(39, 30)}));
        p.drawLine(24, 8, 24, 31);
        if (down)
            p.drawPolyline(QPolygonF({QPointF(15, 22), QPointF(24, 31), QPointF(33, 22)}));
        else
            p.drawPolyline(QPolygonF({QPointF(15, 17), QPointF(24, 8), QPointF(33, 17)}));
        break;
    }
    case CatalogueIcon::Copy:
        p.drawRoundedRect(QRectF(8, 8, 22, 26), 3, 3);
        p.drawRoundedRect(QRectF(18, 15, 22, 26), 3, 3);
        break;
    case CatalogueIcon::Add:
        p.drawLine(24, 10, 24, 38);
        p.drawLine(10, 24, 38, 24);
        break;
    case CatalogueIcon::First:
        p.drawLine(13, 14, 13, 34);
        triangle(16, true);
        triangle(26, true);
        break;
    case CatalogueIcon::Prior: triangle(19, true); break;
    case CatalogueIcon::Next: triangle(29, false); break;
    case CatalogueIcon::Last:
        triangle(22, false);
        triangle(32, false);
        p.drawLine(35, 14, 35, 34);
        break;
    case CatalogueIcon::Remove: p.drawLine(14, 24, 34, 24); break;
    case CatalogueIcon::Search:
        p.drawEllipse(QRectF(9, 9, 20, 20));
        p.drawLine(27, 27, 38, 38);
        break;
    }
    return QIcon(pm);
}

void ShowAsIcon(QAbstractButton* button, CatalogueIcon kind, const QColor& colour)
{
    button->setIcon(MakeCatalogueIcon(kind, colour));
    const int s = button->fontMetrics().height() * 2;
    button->setIconSize(QSize(s, s));
    if (auto* tool = qobject_cast<QToolButton*>(button))
        tool->setToolButtonStyle(Qt::ToolButtonIconOnly);
}

KVSpeedButton* AddIconButton(KVPage* page, KVJargon& jargon, const QString& name, const QString& design, CatalogueIcon kind)
{
    KVSpeedButton* b = page->addBottomButton(name, QString());
    BindCaption(jargon, b, name, design);
    ShowAsIcon(b, kind);
    return b;
}
