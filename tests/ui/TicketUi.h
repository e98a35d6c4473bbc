#pragma once
// Helpers of the ticket editor's window tests.
#include "TestSupport.h"
#include "app/KVWidgets.h"
#include "app/TFMain.h"
#include "ticket/SignaturePad.h"
#include "ticket/TicketEditor.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMouseEvent>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace ticketui {

inline TempDocs InstalledDocs()
{
    TempDocs d;
    d.InstallTemplateDatabase();
    d.InstallSounds();
    return d;
}

// A window on a documents folder that outlives it, so a test can start the program again.
struct Window {
    explicit Window(const TempDocs& docs, std::function<void(KVGlobal&)> extra = {})
        : w(docs.path(), Edition::Dutch, [this, extra](KVGlobal& g) {
              rec.clock = QDateTime(QDate(2021, 3, 3), QTime(14, 30, 5)); // a Wednesday
              rec.Attach(g);
              if (extra)
                  extra(g);
          })
    {
        w.resize(480, 800);
        w.show();
    }
    KVGlobal& g() { return w.global(); }
    TicketEditor& ticket() { return *w.Ticket(); }
    template <class T = QWidget> T* find(const char* name)
    {
        T* widget = w.findChild<T*>(QLatin1String(name));
        EXPECT_TRUE(widget) << name;
        return widget;
    }
    void click(const char* name)
    {
        auto* b = find<QAbstractButton>(name);
        if (b)
            b->click();
    }
    QString page() const { return w.CurrentPageName(); }
    QString detail(const char* item) { return w.ListBoxMain()->item(QLatin1String(item))->detail(); }

    SeamRecorder rec;
    TFMain w;
};

// A stroke across a pad with the mouse, from left to right through the middle.
inline void DrawStroke(QWidget* pad)
{
    const int y = pad->height() / 2;
    auto send = [pad](QEvent::Type type, QPoint p, Qt::MouseButtons buttons) {
        QMouseEvent e(type, QPointF(p), pad->mapToGlobal(QPointF(p)), type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                      buttons, Qt::NoModifier);
        QApplication::sendEvent(pad, &e);
    };
    send(QEvent::MouseButtonPress, QPoint(40, y), Qt::LeftButton);
    for (int x = 50; x <= pad->width() - 40; x += 10)
        send(QEvent::MouseMove, QPoint(x, y + ((x / 10) % 2 ? 8 : -8)), Qt::LeftButton);
    send(QEvent::MouseButtonRelease, QPoint(pad->width() - 40, y), Qt::NoButton);
}

// Pixels of the picture that are mostly blue.
inline int BluePixels(const QImage& picture)
{
    int n = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            const QColor c = picture.pixelColor(x, y);
            if (c.blue() > 200 && c.red() < 120 && c.green() < 120)
                ++n;
        }
    return n;
}

} // namespace ticketui
