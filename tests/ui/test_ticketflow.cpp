#include "TicketUi.h"
#include "store/Table.h"
#include "ticket/PhotoPages.h"
#include "ticket/SignPage.h"
#include "ticket/TicketPages.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QTimeEdit>
#include <cmath>

using namespace ticketui;

namespace {
void setText(Window& win, const char* edit, const QString& text) { win.find<QLineEdit>(edit)->setText(text); }
QString text(Window& win, const char* edit) { return win.find<QLineEdit>(edit)->text(); }

void fillGeneralPage(Window& win)
{
    setText(win, "EditProjectnr", "P-77");
    setText(win, "EditOpdrachtnr", "O-12");
    setText(win, "EditCode", "K1");
    setText(win, "EditOpdrachtgever", "Bakkerij Ëlzinga");
    setText(win, "EditContactpers", "Jörg Straße");
    setText(win, "EditEmailOpdrachtgever", "info@bakkerij.test");
    setText(win, "EditWerklocatie", "Kelder");
    win.find<QDateEdit>("DateEditAlg")->setDate(QDate(2021, 3, 5));
    win.find<QPlainTextEdit>("MemoWerkzaamheden")->setPlainText("Ketel vervangen\nLeiding € 12 gecontroleerd");
}

// A looping, hand-written stroke.
void DrawSignature(QWidget* pad, double phase)
{
    auto send = [pad](QEvent::Type type, QPointF p) {
        QMouseEvent e(type, p, pad->mapToGlobal(p), type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(pad, &e);
    };
    const double mid = pad->height() * 0.62;
    auto at = [&](double t) {
        return QPointF(60 + 2.6 * t + 16 * std::cos(0.32 * t + phase), mid - 22 * std::sin(0.32 * t + phase) - 0.08 * t);
    };
    send(QEvent::MouseButtonPress, at(0));
    for (double t = 1; t < 120; t += 1)
        send(QEvent::MouseMove, at(t));
    send(QEvent::MouseButtonRelease, at(120));
}

void drawSignatures(Window& win)
{
    DrawSignature(win.find<SignaturePad>("TMSFMXSignatureCapture1"), 0);
    DrawSignature(win.find<SignaturePad>("TMSFMXSignatureCapture2"), 1.3);
}

// Saves the page as shown when KV_SCREENSHOT_DIR names a folder (the screenshots of the docs).
void shoot(Window& win, const char* file)
{
    QTest::qWait(30);
    const QPixmap shot = win.w.grab();
    EXPECT_FALSE(shot.isNull());
    const QString dir = qEnvironmentVariable("KV_SCREENSHOT_DIR");
    if (!dir.isEmpty())
        EXPECT_TRUE(shot.save(QDir(dir).filePath(QLatin1String(file)))) << file;
}
}

TEST(TicketFlow, GeneralPageKeepsItsValuesOnReopen)
{
    TempDocs docs = InstalledDocs();
    Window win(docs);
    win.click("SBNew");
    win.click("ListBoxItemAlgemeen");
    ASSERT_EQ(win.page(), "TabItemAlgemeen");
    EXPECT_EQ(text(win, "EditBonnr"), "1-20200001");
    // Today's date after start-up.
    EXPECT_EQ(win.find<QDateEdit>("DateEditAlg")->date(), QDate(2021, 3, 3));
    fillGeneralPage(win);
    win.click("SBAlgemeenOK");
    EXPECT_EQ(win.page(), "TabItemMain");
    EXPECT_EQ(win.detail("ListBoxItemAlgemeen"), "05-03-2021");
    EXPECT_NE(win.g().bon.id, "NEWNEW");
    EXPECT_EQ(win.g().bon.week, 9);

    // The edits are emptied to show that reopening fills them from the ticket.
    for (const char* e : {"EditProjectnr", "EditOpdrachtgever", "EditEmailOpdrachtgever"})
        setText(win, e, QString());
    win.click("ListBoxItemAlgemeen");
    EXPECT_EQ(text(win, "EditProjectnr"), "P-77");
    EXPECT_EQ(text(win, "EditOpdrachtgever"), "Bakkerij Ëlzinga");
    EXPECT_EQ(text(win, "EditEmailOpdrachtgever"), "info@bakkerij.test");
    EXPECT_EQ(win.find<QDateEdit>("DateEditAlg")->date(), QDate(2021, 3, 5));
    EXPECT_EQ(win.find<QPlainTextEdit>("MemoWerkzaamheden")->toPlainText(), "Ketel vervangen\nLeiding € 12 gecontroleerd");
    // Back changes nothing.
    setText(win, "EditCode", "changed");
    win.click("SBAlgemeenTerug");
    EXPECT_EQ(win.g().bon.code, "K1");
}

TEST(TicketFlow, EmptiedNumberLeavesNoCurrentTicket)
{
    TempDocs docs = InstalledDocs();
    Window win(docs);
    win.click("SBNew");
    win.click("ListBoxItemAlgemeen");
    setText(win, "EditBonnr", QString());
    win.click("SBAlgemeenOK");
    EXPECT_EQ(win.g().bon.bonnr, "");
    win.click("ListBoxItemType");
    EXPECT_EQ(win.rec.messages.size(), 1);
    EXPECT_EQ(win.page(), "TabItemMain");
}

TEST(TicketFlow, EveryPageOfATicketIsThereAgainAfterARestart)
{
    TempDocs docs = InstalledDocs();
    TempDocs source;
    QImage photo(160, 120, QImage::Format_RGB32);
    photo.fill(QColor(20, 160, 40));
    photo.save(source.file("meter.png"));
    QString id;
    {
        Window win(docs);
        win.click("SBNew");
        win.click("ListBoxItemAlgemeen");
        fillGeneralPage(win);
        win.click("SBAlgemeenOK");

        win.click("ListBoxItemType");
        win.find<QCheckBox>("CheckBox1")->setChecked(true);
        win.click("ListBoxItemMeerwerk"); // a tap on the row ticks it too
        setText(win, "EditType7", "Storing");
        win.find<QCheckBox>("CheckBox7")->setChecked(true);
        win.click("SBTypeOK");
        EXPECT_EQ(win.detail("ListBoxItemType"), "Regie Meerwerk Storing ");

        win.click("ListBoxItemSpecificatie");
        win.click("ListBoxItemDag1");
        for (int i = 0; i < 15; ++i)
            win.click("ButtonPlusWerktijd");
        win.click("ButtonPlusReistijd");
        win.find<QSpinBox>("NumberBoxKilometer")->setValue(42);
        win.click("SBDagOK");
        win.click("SBSpecificatieOK");
        EXPECT_EQ(win.page(), "TabItemMain");

        win.click("ListBoxItem43");
        win.ticket().photos()->ChooseFile = [&](const QString&) { return source.file("meter.png"); };
        win.click("SBAddFoto");
        win.rec.clock = win.rec.clock.addSecs(61);
        win.click("SBAddFoto");
        win.click("SBFotosOK");

        win.click("ListBoxItemOndertekening");
        drawSignatures(win);
        win.find<QPlainTextEdit>("MemoOpmerkingen")->setPlainText("Graag volgende week terug");
        win.click("SBSignOK");
        EXPECT_EQ(win.page(), "TabItemMain");
        EXPECT_TRUE(win.g().bon.ondertekend);
        EXPECT_EQ(win.detail("ListBoxItemOndertekening"), "Bakkerij Ëlzinga");
        id = win.g().bon.id;
        win.w.close();
    }

    Window win(docs);
    EXPECT_EQ(win.g().settings.inst.bon, 20200002);
    ASSERT_TRUE(win.ticket().LoadBon(id));
    EXPECT_EQ(win.w.LabelMain()->text(), "1-20200001");
    EXPECT_EQ(win.detail("ListBoxItemAlgemeen"), "05-03-2021");
    EXPECT_EQ(win.detail("ListBoxItemType"), "Regie Meerwerk Storing ");
    EXPECT_EQ(win.detail("ListBoxItemOndertekening"), "Bakkerij Ëlzinga");
    EXPECT_EQ(win.ticket().specificatie()->DayItem(1)->detail(), "01-03-2021");

    win.click("ListBoxItemAlgemeen");
    EXPECT_EQ(text(win, "EditContactpers"), "Jörg Straße");
    EXPECT_EQ(text(win, "EditWerklocatie"), "Kelder");
    EXPECT_EQ(win.find<QPlainTextEdit>("MemoWerkzaamheden")->toPlainText(), "Ketel vervangen\nLeiding € 12 gecontroleerd");
    win.click("SBAlgemeenTerug");

    win.click("ListBoxItemType");
    EXPECT_TRUE(win.find<QCheckBox>("CheckBox4")->isChecked());
    EXPECT_FALSE(win.find<QCheckBox>("CheckBox2")->isChecked());
    EXPECT_EQ(text(win, "EditType7"), "Storing");
    win.click("SBTypeTerug");

    win.click("ListBoxItemSpecificatie");
    win.click("ListBoxItemDag1");
    EXPECT_EQ(win.find<QTimeEdit>("TimeEditWerktijd")->time(), QTime(7, 30));
    EXPECT_EQ(win.find<QTimeEdit>("TimeEditReistijd")->time(), QTime(0, 30));
    EXPECT_EQ(win.find<QSpinBox>("NumberBoxKilometer")->value(), 42);
    win.click("SBDagTerug");
    win.click("SBSpecificatieTerug");

    win.click("ListBoxItem43");
    QListWidget* list = win.ticket().photos()->TableViewFoto();
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->item(0)->text(), "foto-1-20200001-143005.jpg");
    EXPECT_EQ(list->item(1)->text(), "foto-1-20200001-143106.jpg");
    win.click("SBFotosTerug");

    win.click("ListBoxItemOndertekening");
    EXPECT_GT(BluePixels(win.find<SignaturePad>("TMSFMXSignatureCapture1")->Picture()), 500);
    EXPECT_GT(BluePixels(win.find<SignaturePad>("TMSFMXSignatureCapture2")->Picture()), 500);
    EXPECT_EQ(win.find<QPlainTextEdit>("MemoOpmerkingen")->toPlainText(), "Graag volgende week terug");
}

TEST(SignFlow, SignedOnlyAfterAStrokeDuringTheVisit)
{
    TempDocs docs = InstalledDocs();
    Window win(docs);
    win.click("SBNew");
    TBon& b = win.g().bon;
    b.opdrachtgever = "Van Dijk";
    win.click("ListBoxItemOndertekening");
    win.click("SBSignOK");
    EXPECT_FALSE(b.ondertekend);
    EXPECT_EQ(win.detail("ListBoxItemOndertekening"), "Van Dijk");
    const QString id = b.id;
    ASSERT_TRUE(win.ticket().LoadBon(id));
    EXPECT_EQ(win.detail("ListBoxItemOndertekening"), "....");

    // A stroke makes it signed; a later visit without a stroke keeps that.
    win.click("ListBoxItemOndertekening");
    DrawStroke(win.find<SignaturePad>("TMSFMXSignatureCapture2"));
    win.click("SBSignOK");
    EXPECT_TRUE(b.ondertekend);
    EXPECT_GT(BluePixels(b.handtekening2), 500);
    win.click("ListBoxItemOndertekening");
    win.click("SBSignOK");
    EXPECT_TRUE(b.ondertekend);
}

TEST(SignFlow, StrokesLeftWithBackAreStoredByTheNextStore)
{
    TempDocs docs = InstalledDocs();
    Window win(docs);
    win.click("SBNew");
    win.click("ListBoxItemOndertekening");
    DrawStroke(win.find<SignaturePad>("TMSFMXSignatureCapture1"));
    win.find<QPlainTextEdit>("MemoOpmerkingen")->setPlainText("typed");
    win.click("SBSignTerug");
    EXPECT_FALSE(win.g().bon.ondertekend);
    EXPECT_TRUE(win.g().bon.opm.isEmpty());
    EXPECT_EQ(BluePixels(win.g().bon.handtekening), 0);
    win.click("ListBoxItemSpecificatie");
    win.click("SBSpecificatieOK");
    Table& t = win.g().BonTable();
    ASSERT_TRUE(t.Locate("id", win.g().bon.id));
    EXPECT_GT(BluePixels(QImage::fromData(t.AsBytes("handtekening"))), 500);
}

TEST(SignFlow, SigningFromThePreviewStoresWithoutSharing)
{
    TempDocs docs = InstalledDocs();
    Window win(docs);
    QStringList pushed;
    win.g().cloud.fanOut = [&](const QString& kind, Table&) {
        pushed << kind;
        return true; // went out
    };
    win.g().CloudSyncEnabled = true;
    win.click("SBNew");
    int refills = 0;
    QObject::connect(&win.ticket(), &TicketEditor::RefillPreview, [&] { ++refills; });
    win.ticket().sign()->OpenFromPreview();
    EXPECT_TRUE(win.g().SignFromPreview);
    DrawStroke(win.find<SignaturePad>("TMSFMXSignatureCapture1"));
    win.click("SBSignOK");
    EXPECT_EQ(win.page(), "TabItemInfo");
    EXPECT_EQ(refills, 1);
    EXPECT_TRUE(pushed.isEmpty());
    EXPECT_TRUE(win.rec.sounds.isEmpty());
    Table& t = win.g().BonTable();
    ASSERT_TRUE(t.Locate("id", win.g().bon.id));
    EXPECT_TRUE(t.AsBoolean("ondertekend"));

    // Back from a page opened by the preview returns there.
    win.ticket().sign()->OpenFromPreview();
    win.click("SBSignTerug");
    EXPECT_EQ(win.page(), "TabItemInfo");

    // From the menu the same signed ticket is shared, with its sound.
    win.click("ListBoxItemOndertekening");
    EXPECT_FALSE(win.g().SignFromPreview);
    win.click("SBSignOK");
    EXPECT_EQ(pushed, QStringList{"kv"});
    EXPECT_EQ(win.rec.sounds, QStringList{"woosh.mp3"});
    EXPECT_EQ(win.page(), "TabItemMain");
}

TEST(Screens, TicketPagesRender)
{
    TempDocs docs = InstalledDocs();
    Window win(docs);
    win.click("SBNew");
    TBon& b = win.g().bon;
    b.datum = "05-03-2021";
    b.opdrachtgever = "Bakkerij Ëlzinga";
    b.tw[1] = b.tw[4] = true;
    TicketDetails details;
    details.algemeen = b.datum;
    details.type = TypeSummary(win.g());
    details.ondertekening = b.opdrachtgever;
    details.dag.fill("....");
    win.ticket().ApplyDetails(details);
    shoot(win, "main.png");

    win.click("ListBoxItemAlgemeen");
    fillGeneralPage(win);
    shoot(win, "algemeen.png");
    win.click("SBAlgemeenTerug");

    win.click("ListBoxItemSpecificatie");
    win.click("ListBoxItemDag5");
    win.find<QTimeEdit>("TimeEditWerktijd")->setTime(QTime(7, 30));
    win.find<QTimeEdit>("TimeEditOverwerk")->setTime(QTime(1, 0));
    win.find<QTimeEdit>("TimeEditReistijd")->setTime(QTime(0, 45));
    win.find<QSpinBox>("NumberBoxKilometer")->setValue(38);
    shoot(win, "dag.png");
    win.click("SBDagTerug");
    win.click("SBSpecificatieTerug");

    win.click("ListBoxItemOndertekening");
    drawSignatures(win);
    win.find<QPlainTextEdit>("MemoOpmerkingen")->setPlainText("Graag volgende week terug voor de tweede ketel.");
    shoot(win, "afronding.png");
    win.click("SBSignTerug");

    win.click("ListBoxItemType");
    setText(win, "EditType7", "Storing");
    shoot(win, "type.png");
    win.click("SBTypeTerug");

    QImage photo(640, 480, QImage::Format_RGB32);
    photo.fill(QColor(70, 120, 160));
    const QString file = docs.file("meter.png");
    photo.save(file);
    win.click("ListBoxItem43");
    win.ticket().photos()->ChooseFile = [&](const QString&) { return file; };
    win.click("SBAddFoto");
    win.rec.clock = win.rec.clock.addSecs(5);
    win.click("SBAddFoto");
    b.desc[2] = "Meterkast na de reparatie";
    QFile::remove(docs.file(b.foto[1])); // shows the placeholder of a missing file
    win.ticket().photos()->FillPhotoList();
    shoot(win, "fotos.png");
}
