#pragma once
#include <QAbstractScrollArea>
#include <QElapsedTimer>
#include <QPointF>

class KVGlobal;

// The document preview (TMSFMXGrid1): draws g.sheet with SheetPainter, fitted to its width.
// Double click, double tap and a pinch toggle between the fitted scale and the fitted scale
// + 1; g.PreviewZoomed says which one is shown, so the flag and the scale always agree.
// The sheet is moved by dragging; the scroll bars are hidden.
class SheetView : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit SheetView(KVGlobal& g, QWidget* parent = nullptr);
    ~SheetView() override;

    // Device pixels per sheet unit: the viewport width over the sheet width.
    qreal FittedScale() const;
    // The scale shown now: fitted, or fitted + 1 while zoomed.
    qreal Scale() const;

public slots:
    // The zoom toggle.
    void ToggleZoom();
    // Ends a zoom (leaving the page); does nothing when not zoomed.
    void ResetZoom();

signals:
    // A tap or click on the four rows of the signature images.
    void signatureBlockTapped();
    void zoomToggled(bool zoomed);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    QSize sizeHint() const override;

private:
    void sheetChanged();
    void updateScrollRange();
    void tapAt(const QPointF& viewportPos);
    void dragTo(const QPointF& viewportPos);
    bool handleTouch(QEvent* event);

    KVGlobal& m_g;
    // Pointer state shared by mouse and touch.
    bool m_pressed = false;
    bool m_dragging = false;
    QPointF m_pressPos;
    QPoint m_pressScroll;
    // Touch: pinch and double tap.
    qreal m_pinchStart = 0;
    bool m_pinchDone = false;
    QElapsedTimer m_lastTap;
    QPointF m_lastTapPos;
};
