#include "TestSupport.h"
#include "ticket/Photos.h"

#include <QDir>
#include <QFile>
#include <QImageReader>
#include <gtest/gtest.h>

namespace {
QImage picture(QColor c)
{
    QImage image(64, 48, QImage::Format_RGB32);
    image.fill(c);
    return image;
}

struct PhotoApp : TestApp {
    PhotoApp() : TestApp(Edition::Dutch, false)
    {
        g->bon.bonnr = QStringLiteral("1-20200001");
        rec.clock = QDateTime(QDate(2021, 3, 3), QTime(9, 5, 7));
    }
};
}

TEST(Photos, NewPhotoIsWrittenAtOnceUnderTicketAndTime)
{
    PhotoApp app;
    const QString name = Photos::AddPhoto(*app.g, picture(Qt::red));
    EXPECT_EQ(name, "foto-1-20200001-090507.jpg");
    EXPECT_EQ(app.g->bon.numfoto, 1);
    EXPECT_EQ(app.g->bon.foto[1], name);
    EXPECT_EQ(app.g->bon.desc[1], "....");
    QImageReader reader(app.docs.file(name));
    EXPECT_EQ(reader.format(), "jpeg");
    EXPECT_EQ(reader.size(), QSize(64, 48));
}

TEST(Photos, TwoPhotosInOneSecondGetDistinctNames)
{
    PhotoApp app;
    const QString first = Photos::AddPhoto(*app.g, picture(Qt::red));
    const QString second = Photos::AddPhoto(*app.g, picture(Qt::blue));
    EXPECT_EQ(second, "foto-1-20200001-090507-2.jpg");
    EXPECT_NE(QFile(app.docs.file(first)).size(), 0);
    // The first file is not replaced by the second picture.
    EXPECT_GT(QImage(app.docs.file(first)).pixelColor(10, 10).red(), 200);
    EXPECT_GT(QImage(app.docs.file(second)).pixelColor(10, 10).blue(), 200);
    // A file left from an earlier ticket of that number counts as taken too.
    app.g->bon.numfoto = 0;
    EXPECT_EQ(Photos::NewPhotoName(*app.g), "foto-1-20200001-090507-3.jpg");
}

TEST(Photos, LimitOfFourShowsTheMessageOnceAndWritesNothing)
{
    PhotoApp app;
    for (int i = 0; i < 4; ++i) {
        app.rec.clock = app.rec.clock.addSecs(1);
        ASSERT_FALSE(Photos::AddPhoto(*app.g, picture(Qt::gray)).isEmpty());
    }
    EXPECT_TRUE(app.rec.messages.isEmpty());
    app.rec.clock = app.rec.clock.addSecs(1);
    EXPECT_TRUE(Photos::AddPhoto(*app.g, picture(Qt::gray)).isEmpty());
    EXPECT_EQ(app.rec.messages, QStringList{"Maximum aantal fotos op kolvarn."});
    EXPECT_EQ(app.g->bon.numfoto, 4);
    EXPECT_FALSE(QFile::exists(app.docs.file("foto-1-20200001-090512.jpg")));
}

TEST(Photos, DeletingTheSecondOfThreeRemovesItsFileAndMovesTheThirdUp)
{
    PhotoApp app;
    QStringList names;
    for (int i = 0; i < 3; ++i) {
        app.rec.clock = app.rec.clock.addSecs(1);
        names << Photos::AddPhoto(*app.g, picture(Qt::gray));
        app.g->bon.desc[i + 1] = QStringLiteral("desc %1").arg(i + 1);
    }
    Photos::DeletePhoto(*app.g, 1);
    const TBon& b = app.g->bon;
    EXPECT_EQ(b.numfoto, 2);
    EXPECT_EQ(b.foto[1], names[0]);
    EXPECT_EQ(b.foto[2], names[2]);
    EXPECT_EQ(b.desc[2], "desc 3");
    EXPECT_FALSE(QFile::exists(app.docs.file(names[1])));
    EXPECT_TRUE(QFile::exists(app.docs.file(names[0])));
    EXPECT_TRUE(QFile::exists(app.docs.file(names[2])));
    Photos::DeletePhoto(*app.g, 5);  // beyond the count: nothing
    Photos::DeletePhoto(*app.g, -1);
    EXPECT_EQ(b.numfoto, 2);
}

TEST(Photos, NamesNeverReachOutsideTheDocumentsFolder)
{
    PhotoApp app;
    // A ticket number may be typed freely; its photo names stay plain file names.
    for (const char* bonnr : {"1/../../x", "a\\b", "..", "1-2..3"}) {
        const QString name = Photos::PhotoName(QString::fromLatin1(bonnr), QTime(1, 2, 3));
        EXPECT_TRUE(Photos::IsPlainFileName(name)) << name.toStdString();
        EXPECT_TRUE(name.startsWith("foto-") && name.endsWith("-010203.jpg")) << name.toStdString();
    }
    EXPECT_EQ(Photos::PhotoName("1-20200001", QTime(14, 30, 5)), "foto-1-20200001-143005.jpg");

    // Names that arrive with a ticket are not opened or deleted when they are not plain.
    TempDocs outside;
    outside.WriteFile("victim.jpg", "keep");
    const QString sneaky = QStringLiteral("../") + QDir(outside.path()).dirName() + QStringLiteral("/victim.jpg");
    for (const QString& name : {sneaky, outside.file("victim.jpg"), QStringLiteral("..")})
        EXPECT_FALSE(Photos::IsPlainFileName(name)) << name.toStdString();
    app.g->bon.numfoto = 1;
    app.g->bon.foto[1] = sneaky;
    EXPECT_TRUE(Photos::LoadPhoto(*app.g, sneaky).isNull());
    Photos::DeletePhoto(*app.g, 0);
    EXPECT_EQ(outside.ReadFile("victim.jpg"), "keep");
    EXPECT_EQ(app.g->bon.numfoto, 0);
}
