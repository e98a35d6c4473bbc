// Start-up of the window on a documents folder: without a network, a second program on the
// same folder, and the pages that are built only when first needed.
#include "TestSupport.h"
#include "app/KVWidgets.h"
#include "app/TFMain.h"
#include "cloud/KVCloud.h"
#include "store/Database.h"
#include "store/Table.h"
#include "ticket/SignPage.h"
#include "ticket/SignaturePad.h"
#include "ticket/TicketEditor.h"
#include "ticket/TicketOps.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QSqlQuery>
#include <QStackedWidget>
#include <QTcpServer>
#include <QTest>
#include <QUuid>
#include <gtest/gtest.h>

namespace {

// A loopback port on which nothing listens: a connect is refused at once.
int ClosedPort()
{
    QTcpServer server;
    EXPECT_TRUE(server.listen(QHostAddress::LocalHost));
    return server.serverPort();
}

void ExecOnFile(const QString& path, const QStringList& statements)
{
    const QString name = QUuid::createUuid().toString();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        ASSERT_TRUE(db.open());
        for (const QString& s : statements)
            ASSERT_TRUE(QSqlQuery(db).exec(s)) << s.toStdString();
    }
    QSqlDatabase::removeDatabase(name);
}

TempDocs InstalledDocs()
{
    TempDocs d;
    d.InstallTemplateDatabase();
    d.InstallSounds();
    return d;
}

} // namespace

// A company account with no server to reach, and clients and parts whose ids need a repair:
// the repaired rows cannot be pushed now, and that is no reason to keep the store closed.
TEST(OfflineStart, RepairsTheIdsAndOpensTheStoreWithTheSharesLeftForLater)
{
    TempDocs docs = InstalledDocs();
    docs.WriteFile("kvrn.ini", "[INST]\nunit=1\n[CLOUD]\nUser=firma\nWW=geheim\nServer=127.0.0.1:" +
                                   QByteArray::number(ClosedPort()) + "\n");
    ExecOnFile(docs.file("kolvarn.db3"), {"INSERT INTO opdrachtgever (id, naam) VALUES (5, 'Bakker')",
                                          "INSERT INTO onderdeel (id, omschr) VALUES ('', 'buis')",
                                          "INSERT INTO bon (id, bonnr) VALUES (17, '1-1')"});
    SeamRecorder rec;
    TFMain w(docs.path(), Edition::Dutch, [&](KVGlobal& g) { rec.Attach(g); });
    KVGlobal& g = w.global();
    ASSERT_TRUE(g.CloudSyncEnabled);
    EXPECT_FALSE(w.cloud().UniConnectionCloud.IsConnected());

    EXPECT_TRUE(rec.messages.isEmpty()) << rec.messages.join('\n').toStdString();
    ASSERT_TRUE(g.db().IsOpen());
    for (Table* t : {&g.BonTable(), &g.OpdrachtgeverTable(), &g.OnderdeelTable()}) {
        ASSERT_EQ(t->RecordCount(), 1) << t->tableName().toStdString();
        t->First();
        EXPECT_EQ(t->AsString("id").length(), 15) << t->tableName().toStdString();
    }
    for (Table* t : {&g.OpdrachtgeverTable(), &g.OnderdeelTable()}) {
        EXPECT_FALSE(t->IsNull("synced"));
        EXPECT_FALSE(t->AsBoolean("synced"));
    }
    EXPECT_FALSE(rec.sounds.contains("woosh.mp3"));
}

// Two programs on one folder would hand out the same ticket numbers. The second says so and
// does not open; a program that was killed does not keep the folder from the next start.
TEST(SecondInstance, IsRefusedWhileTheFirstRunsAndAKilledOneLeavesNoLock)
{
    TempDocs docs = InstalledDocs();
    docs.WriteFile("kvrn.ini", "[INST]\nbon=41\n");
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    auto start = [&](QProcess& p) {
        p.setProcessEnvironment(env);
        p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p.start(QStringLiteral(KV_INSTANCE_PROGRAM), {docs.path()});
        EXPECT_TRUE(p.waitForStarted(10000));
    };
    auto waitForOpen = [](QProcess& p) {
        QByteArray out;
        while (!out.contains("open\n") && p.state() == QProcess::Running && p.waitForReadyRead(30000))
            out += p.readAllStandardOutput();
        return out;
    };

    QProcess first;
    start(first);
    ASSERT_EQ(waitForOpen(first), "open\n");
    EXPECT_TRUE(QFile::exists(docs.file(TFMain::LockFileName())));
    const QByteArray settings = docs.ReadFile("kvrn.ini"), database = docs.ReadFile("kolvarn.db3");

    QProcess second;
    start(second);
    ASSERT_TRUE(second.waitForFinished(30000));
    EXPECT_EQ(second.exitCode(), 3);
    EXPECT_EQ(QString::fromUtf8(second.readAllStandardOutput()),
              "message: Het programma is al geopend met deze documentenmap: " + QDir::toNativeSeparators(docs.path()) + "\n");
    EXPECT_EQ(first.state(), QProcess::Running);
    EXPECT_EQ(docs.ReadFile("kvrn.ini"), settings);
    EXPECT_EQ(docs.ReadFile("kolvarn.db3"), database);

    first.kill(); // SIGKILL: the lock file stays behind with the dead process in it
    ASSERT_TRUE(first.waitForFinished(10000));
    ASSERT_TRUE(QFile::exists(docs.file(TFMain::LockFileName())));
    QProcess third;
    start(third);
    EXPECT_EQ(waitForOpen(third), "open\n");
    third.kill();
    third.waitForFinished(10000);
}

TEST(SecondInstance, InTheSameProcessIsRefusedUntilTheFirstWindowIsGoneAndWritesNothing)
{
    TempDocs docs = InstalledDocs();
    SeamRecorder rec;
    auto first = std::make_unique<TFMain>(docs.path(), Edition::Dutch, [&](KVGlobal& g) { rec.Attach(g); });
    ASSERT_TRUE(first->Started());
    {
        TFMain second(docs.path(), Edition::Dutch, [&](KVGlobal& g) { rec.Attach(g); });
        EXPECT_FALSE(second.Started());
        EXPECT_EQ(rec.messages.size(), 1);
        EXPECT_FALSE(second.global().db().IsOpen());
        second.close();
    }
    EXPECT_FALSE(QFile::exists(docs.file("kvrn.ini")));
    first.reset();
    EXPECT_FALSE(QFile::exists(docs.file(TFMain::LockFileName())));
    TFMain third(docs.path(), Edition::Dutch, [&](KVGlobal& g) { rec.Attach(g); });
    EXPECT_TRUE(third.Started());
}

// ------------------------------------------------------------------ pages built on first use

TEST(LazyPages, OnlyTheMainPageIsBuiltAtStartUpAndEveryPageCanStillBeFoundByName)
{
    TempDocs docs = InstalledDocs();
    SeamRecorder rec;
    TFMain w(docs.path(), Edition::Dutch, [&](KVGlobal& g) { rec.Attach(g); });
    w.show();
    EXPECT_EQ(w.TabControl1()->count(), 1);

    // A click on the main page builds the pages it leads to, and only those.
    QTest::mouseClick(w.findChild<QWidget*>("SBConfig"), Qt::LeftButton);
    EXPECT_EQ(w.CurrentPageName(), "TabItemConfig");
    EXPECT_EQ(w.TabControl1()->count(), 2);

    // A control of a page not built yet is found all the same.
    EXPECT_TRUE(w.findChild<QLineEdit*>("EditBonnr"));
    EXPECT_EQ(w.TabControl1()->count(), 22); // every page, the conflicts, templates and report pages too
}

// Captions are registered when their page is built, after the start-up applied the user's
// terms and the language: a late page shows both.
TEST(LazyPages, ALatePageShowsTheTermsAndTheLanguageOfTheStartUp)
{
    TempDocs docs = InstalledDocs();
    docs.WriteFile("kvrn.ini", "[BRANCHE]\ntaal=1\n");
    docs.WriteFile("jargon.ini", "[Jargon]\nWerktijd=Arbeitszeit\n");
    SeamRecorder rec;
    TFMain w(docs.path(), Edition::Dutch, [&](KVGlobal& g) { rec.Attach(g); });
    w.show();
    QTest::mouseClick(w.findChild<QWidget*>("SBNew"), Qt::LeftButton);
    w.ShowPage("TabItemDag");
    EXPECT_EQ(w.findChild<KVListItem*>("ListBoxItemDagWerktijd")->caption(), "Arbeitszeit");
    EXPECT_EQ(w.findChild<QAbstractButton*>("SBDagTerug")->text(), "Back");
}

// A ticket made current before the signing page exists keeps its signatures when the page's
// pads take over, and when it is stored again.
TEST(LazyPages, TheSigningPadsTakeOverTheSignaturesOfTheCurrentTicket)
{
    TempDocs docs = InstalledDocs();
    SeamRecorder rec;
    TFMain w(docs.path(), Edition::Dutch, [&](KVGlobal& g) { rec.Attach(g); });
    KVGlobal& g = w.global();
    NewBon(g);
    QImage signature = SignatureCapture::BlankPicture(g.pads.Client().PictureSize());
    signature.setPixelColor(10, 10, Qt::black);
    g.pads.Client().SetPicture(signature);

    SignPage* sign = w.Ticket()->sign();
    EXPECT_EQ(sign->ClientPad()->Picture().pixelColor(10, 10), QColor(Qt::black));
    StoreBon(g);
    ASSERT_TRUE(g.BonTable().Locate("id", g.bon.id));
    EXPECT_EQ(QImage::fromData(g.BonTable().AsBytes("handtekening")).pixelColor(10, 10), QColor(Qt::black));
}
