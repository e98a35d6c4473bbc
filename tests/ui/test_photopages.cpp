#include "TicketUi.h"
#include "ticket/PhotoPages.h"

#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>

using namespace ticketui;

namespace {
// A window with a new ticket whose file dialog answers with a picture file.
struct PhotoWindow {
    PhotoWindow() : win(docs)
    {
        QImage image(120, 90, QImage::Format_RGB32);
        image.fill(QColor(200, 30, 30));
        image.save(source.file("holiday.png"));
        win.click("SBNew");
        photos()->ChooseFile = [this](const QString& folder) {
            chosenIn << folder;
            return answer;
        };
        photos()->TakePicture = [this] {
            ++cameraStarts;
            return QImage();
        };
        answer = source.file("holiday.png");
    }
    PhotoPage* photos() { return win.ticket().photos(); }
    QListWidget* list() { return photos()->TableViewFoto(); }
    void addOne()
    {
        win.rec.clock = win.rec.clock.addSecs(1);
        win.click("SBAddFoto");
    }
    TempDocs docs = InstalledDocs();
    TempDocs source;
    Window win;
    QString answer;
    QStringList chosenIn;
    int cameraStarts = 0;
};
}

TEST(PhotoPage, AddsFromAFileChosenInTheDocumentsFolder)
{
    PhotoWindow pw;
    pw.win.click("ListBoxItem43");
    ASSERT_EQ(pw.win.page(), "TabItemFoto");
    EXPECT_EQ(pw.list()->count(), 0);
    pw.win.click("SBAddFoto");
    EXPECT_EQ(pw.chosenIn, QStringList{pw.docs.path()});
    ASSERT_EQ(pw.list()->count(), 1);
    EXPECT_EQ(pw.list()->item(0)->text(), "foto-1-20200001-143005.jpg");
    EXPECT_TRUE(QFile::exists(pw.docs.file("foto-1-20200001-143005.jpg")));
    EXPECT_EQ(pw.win.g().bon.desc[1], "....");

    // A second one in the same second does not overwrite the first.
    pw.win.click("SBAddFoto");
    ASSERT_EQ(pw.list()->count(), 2);
    EXPECT_EQ(pw.list()->item(1)->text(), "foto-1-20200001-143005-2.jpg");

    // Cancelling the dialog adds nothing; a file that is no picture says so.
    pw.answer.clear();
    pw.win.click("SBAddFoto");
    pw.source.WriteFile("notes.jpg", "not a picture");
    pw.answer = pw.source.file("notes.jpg");
    pw.win.click("SBAddFoto");
    EXPECT_EQ(pw.list()->count(), 2);
    EXPECT_EQ(pw.win.rec.messages.size(), 1);
    EXPECT_EQ(pw.win.g().bon.numfoto, 2);
}

TEST(PhotoPage, AtFourPhotosBothButtonsShowTheLimitAndStartNothing)
{
    PhotoWindow pw;
    pw.win.click("ListBoxItem43");
    for (int i = 0; i < 4; ++i)
        pw.addOne();
    ASSERT_EQ(pw.list()->count(), 4);
    EXPECT_TRUE(pw.win.rec.messages.isEmpty());
    const int dialogs = pw.chosenIn.size();
    pw.addOne();
    pw.photos()->SBAddCameraClick();
    EXPECT_EQ(pw.win.rec.messages,
              QStringList({"Maximum aantal fotos op kolvarn.", "Maximum aantal fotos op kolvarn."}));
    EXPECT_EQ(pw.chosenIn.size(), dialogs);
    EXPECT_EQ(pw.cameraStarts, 0);
    EXPECT_EQ(pw.list()->count(), 4);
}

TEST(PhotoPage, CameraButtonOnlyWithACamera)
{
    PhotoWindow pw;
    // This machine has no camera, so the button is absent.
    EXPECT_FALSE(pw.win.find<QWidget>("SBAddCamera")->isVisibleTo(pw.photos()));
}

TEST(PhotoPage, DeleteRemovesTheFileAtOnceAndMovesTheRestUp)
{
    PhotoWindow pw;
    pw.win.click("ListBoxItem43");
    for (int i = 0; i < 3; ++i)
        pw.addOne();
    TBon& b = pw.win.g().bon;
    b.desc[3] = "third";
    const QString second = b.foto[2], third = b.foto[3];
    pw.win.click("SBDeleteFoto"); // nothing selected: nothing happens
    EXPECT_EQ(pw.list()->count(), 3);
    pw.list()->setCurrentRow(1);
    pw.win.click("SBDeleteFoto");
    EXPECT_FALSE(QFile::exists(pw.docs.file(second)));
    ASSERT_EQ(pw.list()->count(), 2);
    EXPECT_EQ(pw.list()->item(1)->text(), third);
    EXPECT_EQ(b.numfoto, 2);
    EXPECT_EQ(b.foto[2], third);
    EXPECT_EQ(b.desc[2], "third");
}

TEST(PhotoPage, DescriptionIsEditedOnTheImagePage)
{
    PhotoWindow pw;
    pw.win.click("ListBoxItem43");
    pw.addOne();
    pw.addOne();
    pw.photos()->TableViewFotoGesture(); // nothing selected: stays
    EXPECT_EQ(pw.win.page(), "TabItemFoto");
    pw.list()->setCurrentRow(1);
    pw.photos()->TableViewFotoGesture();
    ASSERT_EQ(pw.win.page(), "TabItemImage");
    ImagePage* image = pw.win.ticket().image();
    EXPECT_EQ(pw.win.find<QLabel>("LabelImage")->text(), pw.win.g().bon.foto[2]);
    EXPECT_EQ(image->Memo1()->toPlainText(), "....");
    EXPECT_EQ(image->ShownPicture().size(), QSize(120, 90));
    image->Memo1()->setPlainText("Lekkage\nbij de meter");
    pw.win.click("SBImageOK");
    EXPECT_EQ(pw.win.page(), "TabItemFoto");
    EXPECT_EQ(pw.win.g().bon.desc[2], "Lekkage\nbij de meter");
    EXPECT_EQ(pw.list()->item(1)->data(Qt::UserRole + 1).toString(), "Lekkage\nbij de meter");
    // Back from the image page changes nothing.
    pw.list()->setCurrentRow(0);
    pw.photos()->TableViewFotoGesture();
    image->Memo1()->setPlainText("dropped");
    pw.win.click("SBImageTerug");
    EXPECT_EQ(pw.win.g().bon.desc[1], "....");
}

TEST(PhotoPage, AMissingFileShowsAPlaceholderInsteadOfStopping)
{
    PhotoWindow pw;
    pw.win.click("ListBoxItem43");
    pw.addOne();
    pw.addOne();
    QFile::remove(pw.docs.file(pw.win.g().bon.foto[1]));
    pw.photos()->FillPhotoList();
    ASSERT_EQ(pw.list()->count(), 2);
    EXPECT_FALSE(pw.list()->item(0)->data(Qt::DecorationRole).value<QPixmap>().isNull());
    pw.list()->setCurrentRow(0);
    pw.photos()->TableViewFotoGesture();
    EXPECT_EQ(pw.win.page(), "TabItemImage");
    EXPECT_EQ(pw.win.ticket().image()->ShownPicture(), MissingPhotoPicture(QSize(800, 600)));
}

TEST(PhotoPage, BackKeepsTheFileAndThePhotoInTheTicket)
{
    PhotoWindow pw;
    pw.win.click("ListBoxItem43");
    pw.addOne();
    pw.win.click("SBFotosTerug");
    EXPECT_EQ(pw.win.page(), "TabItemMain");
    EXPECT_EQ(pw.win.g().bon.numfoto, 1);
    EXPECT_TRUE(QFile::exists(pw.docs.file(pw.win.g().bon.foto[1])));
}
