#include "SignaturePad.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QTabletEvent>
#include <QTouchEvent>

namespace {
const QColor kStroke(0, 0, 255);
const QColor kCaption(0x80, 0x80, 0x80);
const QColor kBorder(0xC8, 0xC8, 0xCC);
constexpr double kStrokeUnits = 2;
constexpr double kCaptionAt = 25;     // units from the top left
constexpr double kCaptionUnits = 12;  // font size in units
}

SignaturePad::SignaturePad(const QString& objectName, QWidget* parent)
    : QWidget(parent), m_picture(BlankPicture(DefaultPictureSize()))
{
    setObjectName(objectName);
    setAttribute(Qt::WA_AcceptTouchEvents);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(Qt::CrossCursor);
    QSizePolicy policy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

void SignaturePad::Clear()
{
    m_drawing = false;
    m_picture = BlankPicture(m_picture.size());
    update();
}

void SignaturePad::SetPicture(const QImage& picture)
{
    m_drawing = false;
    m_picture = OnWhite(picture, m_picture.size());
    updateGeometry();
    update();
}

void SignaturePad::SetCaption(const QString& caption)
{
    m_caption = caption;
    update();
}

QSize SignaturePad::sizeHint() const { return {PadWidth, PadHeight}; }
QSize SignaturePad::minimumSizeHint() const { return {PadWidth / 2, PadHeight / 2}; }

int SignaturePad::heightForWidth(int width) const
{
    if (m_picture.width() <= 0)
        return width * PadHeight / PadWidth;
    return width * m_picture.height() / m_picture.width();
}

QRectF SignaturePad::pictureRect() const
{
    const QSizeF picture = m_picture.size();
    const double scale = std::min(width() / picture.width(), height() / picture.height());
    const QSizeF shown = picture * scale;
    return QRectF(QPointF((width() - shown.width()) / 2, (height() - shown.height()) / 2), shown);
}

QPointF SignaturePad::toPicture(const QPointF& widgetPos) const
{
    const QRectF r = pictureRect();
    if (r.isEmpty())
        return {};
    return QPointF((widgetPos.x() - r.x()) * m_picture.width() / r.width(),
                   (widgetPos.y() - r.y()) * m_picture.height() / r.height());
}

double SignaturePad::penWidth() const { return kStrokeUnits * m_picture.width() / PadWidth; }

void SignaturePad::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    const QRectF r = pictureRect();
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(r, m_picture);
    const double unit = r.width() / PadWidth;
    if (!m_caption.isEmpty()) {
        QFont f = font();
        f.setPixelSize(std::max(8, qRound(kCaptionUnits * unit)));
        p.setFont(f);
        p.setPen(kCaption);
        const QPointF at = r.topLeft() + QPointF(kCaptionAt, kCaptionAt) * unit;
        p.drawText(QRectF(at, QPointF(r.right(), r.bottom())), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
                   m_caption);
    }
    p.setPen(kBorder);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

// ---- strokes: every move draws a quadratic curve from the middle of the previous segment,
//      through the previous point, to the middle of the new segment, which keeps fast
//      strokes round instead of angular.

void SignaturePad::beginStroke(const QPointF& widgetPos)
{
    m_drawing = true;
    m_last = m_mid = toPicture(widgetPos);
    strokeSegment(m_last, m_last, m_last); // a tap leaves a dot
    emit PointerDown();
}

void SignaturePad::continueStroke(const QPointF& widgetPos)
{
    if (!m_drawing)
        return;
    const QPointF p = toPicture(widgetPos);
    if (p == m_last)
        return;
    const QPointF mid = (m_last + p) / 2;
    strokeSegment(m_mid, m_last, mid);
    m_mid = mid;
    m_last = p;
}

void SignaturePad::endStroke()
{
    if (!m_drawing)
        return;
    strokeSegment(m_mid, m_last, m_last);
    m_drawing = false;
}

void SignaturePad::strokeSegment(const QPointF& from, const QPointF& control, const QPointF& to)
{
    QPainterPath path(from);
    path.quadTo(control, to);
    {
        QPainter p(&m_picture);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(kStroke, penWidth(), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        if (from == to && from == control)
            p.drawPoint(from);
        else
            p.drawPath(path);
    }
    // Repaint only what changed, in widget coordinates.
    const QRectF r = pictureRect();
    const double sx = r.width() / m_picture.width(), sy = r.height() / m_picture.height();
    const double pad = penWidth() + 2;
    const QRectF changed = path.controlPointRect().adjusted(-pad, -pad, pad, pad);
    update(QRectF(r.x() + changed.x() * sx, r.y() + changed.y() * sy, changed.width() * sx, changed.height() * sy)
               .toAlignedRect()
               .adjusted(-1, -1, 1, 1));
}

void SignaturePad::mousePressEvent(QMouseEvent* e)
{
    e->accept();
    if (e->button() == Qt::LeftButton)
        beginStroke(e->position());
}

void SignaturePad::mouseMoveEvent(QMouseEvent* e)
{
    e->accept();
    if (e->buttons() & Qt::LeftButton)
        continueStroke(e->position());
}

void SignaturePad::mouseReleaseEvent(QMouseEvent* e)
{
    e->accept();
    if (e->button() == Qt::LeftButton)
        endStroke();
}

void SignaturePad::tabletEvent(QTabletEvent* e)
{
    // Accepted, so no mouse events are made from the pen as well.
    e->accept();
    switch (e->type()) {
    case QEvent::TabletPress: beginStroke(e->position()); break;
    case QEvent::TabletMove: continueStroke(e->position()); break;
    case QEvent::TabletRelease: endStroke(); break;
    default: break;
    }
}

bool SignaturePad::event(QEvent* e)
{
    switch (e->type()) {
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TouchCancel: {
        // One finger draws; the pad keeps the whole touch, so nothing behind it scrolls.
        auto* te = static_cast<QTouchEvent*>(e);
        e->accept();
        if (te->points().isEmpty())
            return true;
        const QPointF pos = te->points().first().position();
        if (e->type() == QEvent::TouchBegin)
            beginStroke(pos);
        else if (e->type() == QEvent::TouchUpdate)
            continueStroke(pos);
        else
            endStroke();
        return true;
    }
    default:
        return QWidget::event(e);
    }
}
