#include "TicketUi.h"
#include "app/IniFile.h"
#include "app/TermEditor.h"
#include "ticket/DayPage.h"
#include "document/KVGrid.h"
#include "ticket/SignPage.h"
#include "ticket/TextFitLabel.h"
#include "ticket/TicketPages.h"

#include <QDateEdit>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QScroller>
#include <QSpinBox>
#include <QTabletEvent>
#include <QTimeEdit>

using namespace ticketui;

TEST(TicketMenu, EveryTicketItemRefusesWithoutACurrentTicket)
{
    TempDocs docs = InstalledDocs();
    Window win(docs);
    const char* items[] = {"ListBoxItemAlgemeen", "ListBoxItemType", "ListBoxItemSpecificatie", "ListBoxItemGebruikt",
                           "ListBoxItemBenodigd", "ListBoxItem43", "ListBoxItemBekijk", "ListBoxItemOndertekening"};
    win.g().settings.inst.maxnodig = 2; // so that "Benodigd" is there too
    for (const char* item : items) {
        win.rec.messages.clear();
        win.click(item);
        EXPECT_EQ(win.rec.messages, QStringList{"Maak eerst nieuwe bon (+) of laad een bon uit het overzicht."}) << item;
        EXPECT_EQ(win.page(), "TabItemMain") << item;
    }
}

TEST(TicketMenu, NewTicketUsesTheNumberAndWritesTheCounterAtOnce)
{
    TempDocs docs = InstalledDocs();
    Window win(docs);
    win.click("SBNew");
    EXPECT_EQ(win.g().bon.bonnr, "1-20200001");
    EXPECT_EQ(win.g().bon.id, "NEWNEW");
    EXPECT_EQ(win.w.LabelMain()->text(), "1-20200001");
    EXPECT_EQ(IniFile(docs.file("kvrn.ini")).ReadInteger("INST", "bon", 0), 20200002);
    for (const char* item : {"ListBoxItemAlgemeen", "ListBoxItemType", "ListBoxItemOndertekening"})
        EXPECT_EQ(win.detail(item), "....") << item;
    win.click("SBNew");
    EXPECT_EQ(win.g().bon.bonnr, "1-20200002");
    EXPECT_EQ(IniFile(docs.file("kvrn.ini")).ReadInteger("INST", "bon", 0), 20200003);
    EXPECT_EQ(win.page(), "TabItemMain");
}

TEST(DayPage, ProposesTheWeekdayAndConvertsTimes)
{
    TempDocs docs = InstalledDocs();
    Window win(docs);
    win.click("SBNew");
    win.click("ListBoxItemSpecificatie");
    ASSERT_EQ(win.page(), "TabItemSpecificatie");
    auto* date = win.find<QDateEdit>("DateEditDag");
    auto* werk = win.find<QTimeEdit>("TimeEditWerktijd");

    // Wednesday 3 March 2021: Friday proposes the 5th, Monday the 1st.
    win.click("ListBoxItemDag5");
    EXPECT_EQ(win.page(), "TabItemDag");
    EXPECT_EQ(win.find<QLabel>("LabelDag")->text(), "Vrijdag");
    EXPECT_EQ(win.g().CurrentDay, 5);
    EXPECT_EQ(date->date(), QDate(2021, 3, 5));
    win.click("SBDagTerug");
    EXPECT_EQ(win.page(), "TabItemSpecificatie");
    win.click("ListBoxItemDag1");
    EXPECT_EQ(date->date(), QDate(2021, 3, 1));

    // A stored day shows its own date and 7.5 hours as 7:30; confirming keeps 7.5.
    TBon& b = win.g().bon;
    b.dag[3] = "24-12-2020";
    b.werk[3] = 7.5;
    b.km[3] = 12;
    win.click("SBDagTerug");
    win.click("ListBoxItemDag3");
    EXPECT_EQ(date->date(), QDate(2020, 12, 24));
    EXPECT_EQ(werk->time(), QTime(7, 30));
    EXPECT_EQ(win.find<QSpinBox>("NumberBoxKilometer")->value(), 12);
    win.click("SBDagOK");
    EXPECT_EQ(win.page(), "TabItemSpecificatie");
    EXPECT_DOUBLE_EQ(b.werk[3], 7.5);
    EXPECT_EQ(b.km[3], 12);
}

TEST(DayPage, SteppersWrapStopAndRepeatWhileHeld)
{
    TempDocs docs = InstalledDocs();
    Window win(docs);
    win.click("SBNew");
    win.click("ListBoxItemSpecificatie");
    win.click("ListBoxItemDag2");
    auto* over = win.find<QTimeEdit>("TimeEditOverwerk");
    over->setTime(QTime(23, 30));
    win.click("ButtonPlusOverwerk");
    EXPECT_EQ(over->time(), QTime(0, 0));
    over->setTime(QTime(0, 20));
    win.click("ButtonMinOverwerk");
    EXPECT_EQ(over->time(), QTime(0, 20));
    over->setTime(QTime(0, 45));
    win.click("ButtonMinOverwerk");
    EXPECT_EQ(over->time(), QTime(0, 15));
    auto* km = win.find<QSpinBox>("NumberBoxKilometer");
    win.click("ButtonMinKilometer");
    EXPECT_EQ(km->value(), 0);
    win.click("ButtonPlusKilometer");
    EXPECT_EQ(km->value(), 1);
    for (const char* name : {"ButtonPlusWerktijd", "ButtonMinWerktijd", "ButtonPlusOverwerk", "ButtonMinOverwerk",
                             "ButtonPlusReistijd", "ButtonMinReistijd", "ButtonPlusKilometer", "ButtonMinKilometer"})
        EXPECT_TRUE(win.find<QPushButton>(name)->autoRepeat()) << name;

    // Held down, "+" keeps stepping.
    auto* plus = win.find<QPushButton>("ButtonPlusReistijd");
    auto* reis = win.find<QTimeEdit>("TimeEditReistijd");
    reis->setTime(QTime(0, 0));
    QTest::mousePress(plus, Qt::LeftButton);
    QTest::qWait(plus->autoRepeatDelay() + 3 * plus->autoRepeatInterval() + 50);
    QTest::mouseRelease(plus, Qt::LeftButton);
    EXPECT_GE(reis->time(), QTime(1, 30));
}

TEST(DayPage, ConfirmingAnEmptyDayStillShowsItsDate)
{
    TempDocs docs = InstalledDocs();
    Window win(docs);
    win.click("SBNew");
    win.click("ListBoxItemSpecificatie");
    win.click("ListBoxItemDag4");
    win.click("SBDagOK");
    EXPECT_EQ(win.g().bon.dag[4], "04-03-2021");
    EXPECT_EQ(win.ticket().specificatie()->DayItem(4)->detail(), "04-03-2021");
    EXPECT_EQ(win.ticket().specificatie()->DayItem(5)->detail(), "....");
}

TEST(DayPage, UnreadableStoredDateStopsTheOpening)
{
    TempDocs docs = InstalledDocs();
    Window win(docs);
    win.click("SBNew");
    win.g().bon.dag[2] = "2021-03-02";
    win.click("ListBoxItemSpecificatie");
    win.click("ListBoxItemDag2");
    EXPECT_EQ(win.page(), "TabItemSpecificatie");
    EXPECT_EQ(win.rec.messages, QStringList{"'2021-03-02' is not a valid date"});
}

TEST(SignaturePad, StrokesFromMousePenAndFingerDrawBlueAndNeverScrollThePage)
{
    TempDocs docs = InstalledDocs();
    Window win(docs);
    win.click("SBNew");
    // A kinetic scroller on the window, as a touch platform would have.
    QWidget* viewport = win.w.VertScrollBox1()->viewport();
    QScroller::grabGesture(viewport, QScroller::TouchGesture);
    win.click("ListBoxItemOndertekening");
    ASSERT_EQ(win.page(), "TabItemSign");
    auto* pad = win.find<SignaturePad>("TMSFMXSignatureCapture1");
    QTest::qWait(20);
    EXPECT_EQ(pad->Picture().size(), QSize(784, 272));
    EXPECT_EQ(pad->height(), pad->width() * 136 / 392);
    EXPECT_EQ(BluePixels(pad->Picture()), 0);
    EXPECT_FALSE(win.g().SignedThisVisit);

    DrawStroke(pad);
    const int byMouse = BluePixels(pad->Picture());
    EXPECT_GT(byMouse, 500);
    EXPECT_TRUE(win.g().SignedThisVisit);

    // A pen.
    pad->Clear();
    const QPointingDevice* pen = QPointingDevice::primaryPointingDevice();
    for (auto [type, x] : {std::pair{QEvent::TabletPress, 30}, std::pair{QEvent::TabletMove, 120},
                           std::pair{QEvent::TabletMove, 200}, std::pair{QEvent::TabletRelease, 200}}) {
        const QPointF p(x, 40);
        QTabletEvent e(type, pen, p, pad->mapToGlobal(p), 0.5, 0, 0, 0, 0, 0, Qt::NoModifier,
                       type == QEvent::TabletRelease ? Qt::NoButton : Qt::LeftButton,
                       type == QEvent::TabletRelease ? Qt::NoButton : Qt::LeftButton);
        QApplication::sendEvent(pad, &e);
    }
    EXPECT_GT(BluePixels(pad->Picture()), 300);

    // A finger: draws, and the page beneath does not move.
    pad->Clear();
    QScrollBar* bar = win.w.VertScrollBox1()->verticalScrollBar();
    const int scrolled = bar->value();
    QPointingDevice* touch = QTest::createTouchDevice();
    QTest::touchEvent(pad, touch).press(0, QPoint(30, 60));
    QTest::touchEvent(pad, touch).move(0, QPoint(100, 20));
    QTest::touchEvent(pad, touch).move(0, QPoint(220, 100));
    QTest::touchEvent(pad, touch).release(0, QPoint(220, 100));
    EXPECT_GT(BluePixels(pad->Picture()), 300);
    EXPECT_EQ(bar->value(), scrolled);

    win.click("SBSignTerug");
    EXPECT_EQ(win.page(), "TabItemMain");
    EXPECT_NE(QScroller::grabbedGesture(viewport), Qt::GestureType(0));
}

TEST(SignaturePad, CaptionFollowsTheTermsAndPicturesAreReplacedAndCopied)
{
    TempDocs docs = InstalledDocs();
    Window win(docs);
    auto* client = win.find<SignaturePad>("TMSFMXSignatureCapture1");
    auto* mechanic = win.find<SignaturePad>("TMSFMXSignatureCapture2");
    // The start-up builds both captions from the terms.
    EXPECT_EQ(client->Caption(), "Indien akkoord handtekening opdrachtgever");
    EXPECT_EQ(mechanic->Caption(), "Indien akkoord handtekening monteur");
    // The window's pads are the ones the ticket operations see.
    EXPECT_EQ(&win.g().pads.Client(), static_cast<SignatureCapture*>(client));
    EXPECT_EQ(&win.g().pads.Mechanic(), static_cast<SignatureCapture*>(mechanic));

    QImage picture(100, 40, QImage::Format_ARGB32);
    picture.fill(Qt::transparent);
    client->SetPicture(picture);
    EXPECT_EQ(client->Picture().pixelColor(5, 5), QColor(Qt::white)); // transparent becomes white
    QImage copy = client->Picture();
    copy.fill(Qt::black);
    EXPECT_EQ(client->Picture().pixelColor(5, 5), QColor(Qt::white)); // a copy, not shared
}

TEST(SignPage, ClearingTheClientPadUnsignsAtOnceTheMechanicPadDoesNot)
{
    TempDocs docs = InstalledDocs();
    Window win(docs);
    win.click("SBNew");
    TBon& b = win.g().bon;
    b.ondertekend = true;
    win.click("ListBoxItemOndertekening");
    win.click("SBClearSign2");
    EXPECT_TRUE(b.ondertekend);
    DrawStroke(win.find<SignaturePad>("TMSFMXSignatureCapture1"));
    EXPECT_TRUE(win.g().SignedThisVisit);
    win.click("SBClearSign");
    EXPECT_FALSE(b.ondertekend);
    EXPECT_FALSE(win.g().SignedThisVisit);
    EXPECT_EQ(BluePixels(win.find<SignaturePad>("TMSFMXSignatureCapture1")->Picture()), 0);
    win.click("SBSignTerug");
    EXPECT_FALSE(b.ondertekend);
}

TEST(TicketPages, TermCaptionsOpenTheTermEditorAndDistanceFollowsTheUnit)
{
    TempDocs docs = InstalledDocs();
    docs.WriteFile("kvrn.ini", "[BRANCHE]\nafstand=MILES\n");
    Window win(docs);
    for (const char* item : {"ListBoxItem2", "ListBoxItemOpdrachtgever", "ListBoxItemWerkzaamheden", "ListBoxItemRegie"}) {
        emit win.find<KVListItem>(item)->longPressed();
        EXPECT_TRUE(win.w.PopupJargon()->isVisible()) << item;
        EXPECT_EQ(win.w.PopupJargon()->JargonItem(), item);
        win.w.PopupJargon()->hide();
    }
    EXPECT_EQ(win.find<KVListItem>("ListBoxItemAfstand")->caption(), "Miles");
}

// While typing, the two long-text editors say how many lines of their document block the text
// takes; once it takes more than the block shows, the count turns red.
TEST(TicketPages, TheLongTextEditorsCountTheLinesTheDocumentShows)
{
    TempDocs docs = InstalledDocs();
    Window win(docs);
    win.click("SBNew");
    win.click("ListBoxItemAlgemeen");
    auto* memo = win.find<QPlainTextEdit>("MemoWerkzaamheden");
    auto* count = win.find<TextFitLabel>("LabelRegelsWerkzaamheden");
    EXPECT_EQ(count->text(), "0 / 3 regels");
    QTest::keyClicks(memo, "Pomp vervangen");
    EXPECT_EQ(count->text(), "1 / 3 regels");
    for (int k = 0; k < 2; ++k) {
        QTest::keyClick(memo, Qt::Key_Return);
        QTest::keyClicks(memo, "Nog een regel");
    }
    EXPECT_EQ(count->text(), "3 / 3 regels");
    EXPECT_FALSE(count->Over());
    QTest::keyClicks(memo, QString(" woord").repeated(20)); // the third line wraps
    EXPECT_EQ(count->text(), "4 / 3 regels");
    EXPECT_TRUE(count->Over());
    EXPECT_TRUE(count->styleSheet().contains("#C00000"));

    // The block grows with the row plan: without parts sections the description has 16 rows.
    win.click("SBAlgemeenOK");
    win.g().MaxUsedRows() = 0;
    ClearDocument(win.g());
    PlanDocumentRows(win.g());
    BuildDocument(win.g());
    win.click("ListBoxItemAlgemeen");
    EXPECT_EQ(count->text(), "4 / 17 regels");
    EXPECT_FALSE(count->Over());

    // The remarks on the signing page, in their block of three rows.
    win.click("SBAlgemeenTerug");
    win.click("ListBoxItemOndertekening");
    auto* remarks = win.find<QPlainTextEdit>("MemoOpmerkingen");
    auto* remarksCount = win.find<TextFitLabel>("LabelRegelsOpmerkingen");
    remarks->setPlainText("a\nb\nc\nd");
    EXPECT_EQ(remarksCount->text(), "4 / 3 regels");
    EXPECT_TRUE(remarksCount->Over());
}
