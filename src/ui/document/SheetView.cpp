#include "SheetView.h"

#include "app/KVGlobal.h"
#include "document/KVGrid.h"
#include "document/SheetPainter.h"

#include <QApplication>
#include <QEventPoint>
#include <QLineF>
#include <QMouseEvent>
#include <QNativeGestureEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyleHints>
#include <QTouchEvent>

namespace {
const QColor kSurround(0xE6, 0xE6, 0xE6);
constexpr qreal kPinchThreshold = 0.15; // relative change of the finger distance
}

SheetView::SheetView(KVGlobal& g, QWidget* parent) : QAbstractScrollArea(parent), m_g(g)
{
    setObjectName(QStringLiteral("TMSFMXGrid1"));
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    viewport()->setAttribute(Qt::WA_AcceptTouchEvents);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    m_g.sheet.SetChangedHandler([this] { sheetChanged(); });
    updateScrollRange();
}

SheetView::~SheetView()
{
    m_g.sheet.SetChangedHandler({});
}

QSize SheetView::sizeHint() const
{
    return QSize(530, 700);
}

qreal SheetView::FittedScale() const
{
    const double w = m_g.sheet.WidthUnits();
    return w > 0 ? viewport()->width() / w : 1.0;
}

qreal SheetView::Scale() const
{
    return FittedScale() + (m_g.PreviewZoomed ? 1.0 : 0.0);
}

void SheetView::ToggleZoom()
{
    // Keep the point at the centre of the view where it is on the sheet.
    const qreal before = Scale();
    const QPointF centre = (QPointF(horizontalScrollBar()->value(), verticalScrollBar()->value())
                            + QPointF(viewport()->width() / 2.0, viewport()->height() / 2.0)) / before;
    m_g.PreviewZoomed = !m_g.PreviewZoomed;
    updateScrollRange();
    const QPointF at = centre * Scale() - QPointF(viewport()->width() / 2.0, viewport()->height() / 2.0);
    horizontalScrollBar()->setValue(qRound(at.x()));
    verticalScrollBar()->setValue(qRound(at.y()));
    viewport()->update();
    emit zoomToggled(m_g.PreviewZoomed);
}

void SheetView::ResetZoom()
{
    if (m_g.PreviewZoomed)
        ToggleZoom();
}

void SheetView::sheetChanged()
{
    updateScrollRange();
    viewport()->update();
}

void SheetView::updateScrollRange()
{
    const QSizeF size = QSizeF(m_g.sheet.WidthUnits(), m_g.sheet.HeightUnits()) * Scale();
    horizontalScrollBar()->setRange(0, std::max(0, qCeil(size.width()) - viewport()->width()));
    verticalScrollBar()->setRange(0, std::max(0, qCeil(size.height()) - viewport()->height()));
    horizontalScrollBar()->setPageStep(viewport()->width());
    verticalScrollBar()->setPageStep(viewport()->height());
    verticalScrollBar()->setSingleStep(qRound(Sheet::RowHeight * Scale()));
}

void SheetView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollRange();
}

void SheetView::paintEvent(QPaintEvent* event)
{
    QPainter p(viewport());
    p.fillRect(event->rect(), kSurround);
    const qreal scale = Scale();
    const QPointF offset(horizontalScrollBar()->value(), verticalScrollBar()->value());
    p.translate(-offset);
    const QRectF exposed = QRectF(QRectF(event->rect()).translated(offset).topLeft() / scale,
                                  QSizeF(event->rect().size()) / scale);
    SheetPainter(m_g.sheet).Paint(p, scale, SheetPainter::Target::Screen, exposed.adjusted(-1, -1, 1, 1));
}

void SheetView::tapAt(const QPointF& viewportPos)
{
    const QPointF units = (viewportPos + QPointF(horizontalScrollBar()->value(), verticalScrollBar()->value())) / Scale();
    const QPoint cell = SheetPainter(m_g.sheet).CellAt(units);
    if (cell.y() >= 0 && IsSignatureBlockRow(m_g.rowPlan, cell.y()))
        emit signatureBlockTapped();
}

void SheetView::dragTo(const QPointF& viewportPos)
{
    const QPointF delta = viewportPos - m_pressPos;
    if (!m_dragging && delta.manhattanLength() < QApplication::startDragDistance())
        return;
    m_dragging = true;
    horizontalScrollBar()->setValue(m_pressScroll.x() - qRound(delta.x()));
    verticalScrollBar()->setValue(m_pressScroll.y() - qRound(delta.y()));
}

void SheetView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_pressed = true;
    m_dragging = false;
    m_pressPos = event->position();
    m_pressScroll = QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value());
}

void SheetView::mouseMoveEvent(QMouseEvent* event)
{
    if (m_pressed)
        dragTo(event->position());
}

void SheetView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !m_pressed)
        return;
    m_pressed = false;
    if (!m_dragging)
        tapAt(event->position());
}

void SheetView::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_pressed = false; // the release that follows is not a tap
    ToggleZoom();
}

bool SheetView::viewportEvent(QEvent* event)
{
    switch (event->type()) {
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TouchCancel:
        return handleTouch(event);
    case QEvent::NativeGesture: {
        auto* g = static_cast<QNativeGestureEvent*>(event);
        if (g->gestureType() == Qt::BeginNativeGesture) {
            m_pinchDone = false;
        } else if (g->gestureType() == Qt::ZoomNativeGesture && !m_pinchDone) {
            m_pinchDone = true;
            ToggleZoom();
        } else if (g->gestureType() == Qt::SmartZoomNativeGesture) {
            ToggleZoom();
        }
        return true;
    }
    default:
        return QAbstractScrollArea::viewportEvent(event);
    }
}

bool SheetView::handleTouch(QEvent* event)
{
    auto* touch = static_cast<QTouchEvent*>(event);
    const QList<QEventPoint>& points = touch->points();
    event->accept();
    if (event->type() == QEvent::TouchBegin) {
        m_pressed = true;
        m_dragging = false;
        m_pinchStart = 0;
        m_pinchDone = false;
        if (!points.isEmpty())
            m_pressPos = points.first().position();
        m_pressScroll = QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value());
        return true;
    }
    if (event->type() == QEvent::TouchCancel) {
        m_pressed = false;
        return true;
    }
    if (points.size() >= 2) {
        // Two fingers: a pinch in either direction toggles the zoom once per touch.
        m_dragging = true;
        const qreal distance = QLineF(points[0].position(), points[1].position()).length();
        if (m_pinchStart <= 0)
            m_pinchStart = distance;
        else if (!m_pinchDone && std::abs(distance / m_pinchStart - 1.0) > kPinchThreshold) {
            m_pinchDone = true;
            ToggleZoom();
        }
    } else if (!points.isEmpty() && m_pressed && m_pinchStart <= 0) {
        dragTo(points.first().position());
    }
    if (event->type() == QEvent::TouchEnd) {
        const bool tap = m_pressed && !m_dragging && !points.isEmpty();
        m_pressed = false;
        if (tap) {
            const QPointF pos = points.first().position();
            const bool doubleTap = m_lastTap.isValid()
                && m_lastTap.elapsed() < QGuiApplication::styleHints()->mouseDoubleClickInterval()
                && QLineF(pos, m_lastTapPos).length() < 3 * QApplication::startDragDistance();
            if (doubleTap) {
                m_lastTap.invalidate();
                ToggleZoom();
            } else {
                m_lastTap.start();
                m_lastTapPos = pos;
                tapAt(pos);
            }
        }
    }
    return true;
}
