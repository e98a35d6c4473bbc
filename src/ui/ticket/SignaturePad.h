#pragma once
#include "ticket/SignatureCapture.h"

#include <QImage>
#include <QPointF>
#include <QWidget>

class QTabletEvent;

// A signature pad: a white picture on which a mouse, a pen or a finger draws blue strokes
// 2 units wide, with a caption shown at 25, 25 units from the top left (the caption is not
// part of the picture). The picture has a fixed pixel size; the widget shows it at its own
// width, keeping the picture's proportions. Every pointer event on the pad is its own, so
// dragging on it draws and never scrolls the page beneath.
class SignaturePad : public QWidget, public SignatureCapture {
    Q_OBJECT
public:
    explicit SignaturePad(const QString& objectName, QWidget* parent = nullptr);

    void Clear() override;
    QImage Picture() const override { return m_picture.copy(); }
    void SetPicture(const QImage& picture) override;
    QSize PictureSize() const override { return m_picture.size(); }

    QString Caption() const { return m_caption; }
    void SetCaption(const QString& caption);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

signals:
    // A stroke starts (mouse button, pen or finger down).
    void PointerDown();

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    void tabletEvent(QTabletEvent*) override;
    bool event(QEvent*) override;

private:
    // Where the picture is shown, and the mapping from widget to picture coordinates.
    QRectF pictureRect() const;
    QPointF toPicture(const QPointF& widgetPos) const;
    void beginStroke(const QPointF& widgetPos);
    void continueStroke(const QPointF& widgetPos);
    void endStroke();
    void strokeSegment(const QPointF& from, const QPointF& control, const QPointF& to);
    double penWidth() const;

    QImage m_picture;
    QString m_caption;
    bool m_drawing = false;
    QPointF m_last; // last point of the stroke (picture coordinates)
    QPointF m_mid;  // end of the part already drawn
};
