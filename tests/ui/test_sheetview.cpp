#include "SampleTicket.h"
#include "TestSupport.h"
#include "document/KVGrid.h"
#include "document/SheetView.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// The preview of the filled sample ticket (plan 8/5: SignatureRow 45, FooterRow 50), tall
// enough to show the whole sheet at the fitted scale of 1.
struct Preview : TestApp {
    Preview() : TestApp(Edition::Dutch, false)
    {
        MakeSampleTicket(*g);
        view = std::make_unique<SheetView>(*g);
        view->resize(530, 800);
        view->show();
        FillDocument(*g);
    }
    QPoint rowCentre(int row, int col = 3) const
    {
        const qreal s = view->Scale();
        return QPoint(int((col + 0.5) * Sheet::ColumnWidth * s), int((row + 0.5) * Sheet::RowHeight * s));
    }
    std::unique_ptr<SheetView> view;
};

} // namespace

TEST(SheetView, FitsTheWidthAndZoomTogglesKeepTheFlagAndScaleTogether)
{
    Preview p;
    EXPECT_EQ(p.view->objectName(), QStringLiteral("TMSFMXGrid1"));
    EXPECT_DOUBLE_EQ(p.view->FittedScale(), 1.0);
    QWidget* vp = p.view->viewport();

    QTest::mouseDClick(vp, Qt::LeftButton, {}, QPoint(100, 100));
    EXPECT_TRUE(p.g->PreviewZoomed);
    EXPECT_DOUBLE_EQ(p.view->Scale(), 2.0);
    QTest::mouseDClick(vp, Qt::LeftButton, {}, QPoint(100, 100));
    EXPECT_FALSE(p.g->PreviewZoomed);
    EXPECT_DOUBLE_EQ(p.view->Scale(), 1.0);

    p.view->ToggleZoom();
    p.view->ResetZoom(); // leaving the page ends the zoom
    EXPECT_FALSE(p.g->PreviewZoomed);
    p.view->ResetZoom();
    EXPECT_DOUBLE_EQ(p.view->Scale(), 1.0);

    p.view->ToggleZoom();
    FillDocument(*p.g); // signing from a zoomed preview refills: back to the fitted scale, flag cleared
    EXPECT_FALSE(p.g->PreviewZoomed);
    EXPECT_DOUBLE_EQ(p.view->Scale(), 1.0);

    p.view->resize(1060, 800);
    EXPECT_DOUBLE_EQ(p.view->FittedScale(), 2.0);
}

TEST(SheetView, OnlyATapOnTheSignatureImagesAsksForSigning)
{
    Preview p;
    QSignalSpy spy(p.view.get(), &SheetView::signatureBlockTapped);
    QWidget* vp = p.view->viewport();
    const int sig = p.g->rowPlan.SignatureRow;
    const std::pair<int, bool> taps[] = {{sig, false}, {sig + 1, true}, {sig + 4, true}, {sig + 5, false}, {10, false}};
    for (const auto& [row, opens] : taps) {
        spy.clear();
        QTest::mouseClick(vp, Qt::LeftButton, {}, p.rowCentre(row, row % 10));
        EXPECT_EQ(spy.count(), opens ? 1 : 0) << "row " << row;
    }
    // A drag is no tap.
    spy.clear();
    const QPoint from = p.rowCentre(sig + 2);
    QTest::mousePress(vp, Qt::LeftButton, {}, from);
    QMouseEvent move(QEvent::MouseMove, QPointF(from + QPoint(0, 40)), vp->mapToGlobal(QPointF(from + QPoint(0, 40))),
                     Qt::NoButton, Qt::LeftButton, {});
    QApplication::sendEvent(vp, &move);
    QTest::mouseRelease(vp, Qt::LeftButton, {}, from + QPoint(0, 40));
    EXPECT_EQ(spy.count(), 0);
}

TEST(SheetView, DoubleTapAndPinchToggleTheZoom)
{
    Preview p;
    QPointingDevice* touch = QTest::createTouchDevice();
    QWidget* vp = p.view->viewport();
    const QPoint at(200, 200);
    QTest::touchEvent(vp, touch).press(0, at);
    QTest::touchEvent(vp, touch).release(0, at);
    QTest::touchEvent(vp, touch).press(0, at);
    QTest::touchEvent(vp, touch).release(0, at);
    EXPECT_TRUE(p.g->PreviewZoomed);

    QTest::touchEvent(vp, touch).press(0, QPoint(200, 200)).press(1, QPoint(260, 200));
    QTest::touchEvent(vp, touch).move(0, QPoint(190, 200)).move(1, QPoint(270, 200));
    QTest::touchEvent(vp, touch).move(0, QPoint(150, 200)).move(1, QPoint(310, 200));
    QTest::touchEvent(vp, touch).move(0, QPoint(100, 200)).move(1, QPoint(360, 200)); // one toggle per pinch
    QTest::touchEvent(vp, touch).release(0, QPoint(100, 200)).release(1, QPoint(360, 200));
    EXPECT_FALSE(p.g->PreviewZoomed);
    EXPECT_DOUBLE_EQ(p.view->Scale(), p.view->FittedScale());
}

TEST(SheetView, ShowsTheSheet)
{
    Preview p;
    const QImage shot = p.view->grab().toImage();
    const qreal s = p.view->Scale();
    // The shaded label "Projectnr" (0, 5) and the white value block beside it.
    EXPECT_EQ(QColor(shot.pixel(int(90 * s), int(5.5 * 14.5 * s))), QColor(245, 245, 245));
    EXPECT_EQ(QColor(shot.pixel(int(250 * s), int(5.5 * 14.5 * s - 5))), QColor(Qt::white));
}
