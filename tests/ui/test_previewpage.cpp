#include "SampleTicket.h"
#include "TestSupport.h"
#include "app/KVWidgets.h"
#include "app/TFMain.h"
#include "document/PreviewPage.h"
#include "document/SheetView.h"

#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {
struct Window {
    Window() : w(docs.path(), Edition::Dutch, [this](KVGlobal& g) { rec.Attach(g); })
    {
        w.resize(560, 900);
        w.show();
        QTest::qWait(1);
    }
    TempDocs docs = [] { TempDocs d; d.InstallTemplateDatabase(); d.InstallSounds(); return d; }();
    SeamRecorder rec;
    TFMain w;
    void click(const char* name) { QTest::mouseClick(w.findChild<QAbstractButton*>(name), Qt::LeftButton); }
};
}

TEST(PreviewPage, RefusesWithoutATicketAndShowsTheFilledDocumentWithOne)
{
    Window win;
    win.click("ListBoxItemBekijk");
    EXPECT_EQ(win.w.CurrentPageName(), "TabItemMain");
    EXPECT_EQ(win.rec.messages, QStringList{"Maak eerst nieuwe bon (+) of laad een bon uit het overzicht."});

    MakeSampleTicket(win.w.global());
    win.click("ListBoxItemBekijk");
    EXPECT_EQ(win.w.CurrentPageName(), "TabItemInfo");
    EXPECT_EQ(win.w.global().sheet.Text(7, 3), win.w.global().bon.bonnr);

    win.click("SBInfoTerug");
    EXPECT_EQ(win.w.CurrentPageName(), "TabItemMain");
}

TEST(PreviewPage, TapOnTheSignatureBlockAsksForSigning)
{
    Window win;
    MakeSampleTicket(win.w.global());
    win.click("ListBoxItemBekijk");
    SheetView* view = win.w.Preview()->view();
    QSignalSpy spy(win.w.Preview(), &PreviewPage::SignRequested);
    const RowPlan& plan = win.w.global().rowPlan;
    const qreal s = view->Scale();
    const QPoint inBlock(int(3 * Sheet::ColumnWidth * s), int((plan.SignatureRow + 2.5) * Sheet::RowHeight * s) - view->verticalScrollBar()->value());
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, inBlock);
    EXPECT_EQ(spy.count(), 1);
}

TEST(PreviewPage, MailButtonExportsThePdfAndHandsItToTheMailProgram)
{
    Window win;
    MakeSampleTicket(win.w.global());
    win.w.global().settings.mail.std = true;
    win.click("ListBoxItemBekijk");
    win.click("SBInfoEmail");
    const QString pdf = win.docs.file("kolvarn" + win.w.global().bon.bonnr + ".pdf");
    EXPECT_TRUE(QFile::exists(pdf));
    ASSERT_EQ(win.rec.mailAppCalls.size(), 1);
    EXPECT_TRUE(win.rec.mailAppCalls.first().args.contains(pdf)) << win.rec.mailAppCalls.first().args.join(' ').toStdString();
}
